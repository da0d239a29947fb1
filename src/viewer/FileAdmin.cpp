#include "viewer/FileAdmin.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "admin/FileOwner.h"
#include "admin/FileStatistics.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "viewer/FileViewer.h"

namespace {

constexpr int kStatisticsWidth = 40;
constexpr int kStatisticsHeight = 19;
constexpr int kFirstValueLine = 2;
constexpr int kFlagsLine = 10;
constexpr int kOwnerWidth = 40;
constexpr int kOwnerHeight = 9;
constexpr int kOwnerFieldWidth = 8;
constexpr int kConfirmWidth = 40;
constexpr int kConfirmHeight = 6;
constexpr int kOwnGroup = 1;

// The two copies of a name typed blind must be the same name to the engine,
// which ignores trailing blanks.
bool SameOwner(const Estring& a, const Estring& b) { return a.TrimRight().ToStdString() == b.TrimRight().ToStdString(); }

}  // namespace

// --- File Statistics ----------------------------------------------------------------

void showFileStatistics(BtrieveFile& file, const Estring& location) {
    std::unique_ptr<uint8_t[]> stat(new uint8_t[BtrieveFile::kStatBufferSize]());
    const int status = file.stat(stat.get());
    if (status != 0) {
        messageBox("Error getting file statistics", statusText(status), kMessageOk);
        return;
    }
    Dialog window(-1, -2, kStatisticsWidth, kStatisticsHeight, 0x70, 0);
    window.AddHeading("File Statistics for", 1);
    const Estring shown = ShortenLocation(location);
    window.AddText((window.InnerWidth() - shown.Length()) / 2, 0, shown);
    int line = kFirstValueLine;
    for (const Estring& text : StatisticsValueLines(stat.get())) window.AddText(1, line++, text);
    window.AddText(1, kFlagsLine, "Flags:");
    line = kFlagsLine + 1;
    const uint16_t flags = le::GetU16(stat.get() + qdx::wire::kSpecFileFlags);
    for (const Estring& text : StatisticsFlagLines(flags))
        if (line < window.InnerHeight()) window.AddText(3, line++, text);
    window.Run();
}

void showFileStatistics(FileViewer& viewer) { showFileStatistics(*viewer.dataFile, viewer.dataFile->fileName()); }

// --- Modify File Owner ---------------------------------------------------------------

int confirmOwnerName(const Estring& name) {
    Estring again;
    int code = 0;
    {
        Dialog dialog(-1, -2, kConfirmWidth, kConfirmHeight, 0x70, 0);
        dialog.AddHeading("Confirm Owner Name", 1);
        dialog.AddText(1, 1, "Owner Name:");
        const int field = dialog.AddPasswordField(13, 1, kOwnGroup, again, kOwnerFieldWidth);
        dialog.AddPushButton(8, 3, kOwnGroup, kKeyEnter, "OK");
        dialog.AddPushButton(16, 3, 0, kKeyEsc, "Cancel");
        dialog.SetFocus(field);
        code = dialog.Run();
    }
    if (code != kKeyEnter) return kKeyEsc;
    if (!SameOwner(again, name)) {
        messageBox("The owner names typed do not match", "Nothing was set", kMessageOk);
        return 0;
    }
    return kKeyEnter;
}

bool modifyFileOwner(BtrieveFile& file) {
    Estring name;
    bool requireForReadOnly = true;
    bool encrypt = false;
    Dialog dialog(-1, -2, kOwnerWidth, kOwnerHeight, 0x70, 0);
    dialog.AddHeading("Modify File Owner", 1);
    dialog.AddText(1, 1, "Owner Name:");
    const int nameField = dialog.AddPasswordField(13, 1, kOwnGroup, name, kOwnerFieldWidth);
    dialog.AddCheckBox(3, 3, kOwnGroup, requireForReadOnly, "Require for read-only access");
    dialog.AddCheckBox(3, 4, 0, encrypt, "Encrypt");
    dialog.AddPushButton(3, 6, kOwnGroup, kKeyEnter, "Set");
    dialog.AddPushButton(12, 6, 0, kKeyAltC, "Clear");
    dialog.AddPushButton(23, 6, 0, kKeyEsc, "Cancel");
    dialog.SetFocus(nameField);
    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return false;
        if (code == kKeyAltC) {
            const int status = ClearFileOwner(file);
            if (status != 0) {
                messageBox("Error clearing owner", statusText(status), kMessageOk);
                continue;
            }
            messageBox("Owner has been cleared", "", kMessageOk | kMessageNeutral);
            return true;
        }
        if (code != kKeyEnter) continue;
        if (name.IsEmpty()) return false;
        // A name typed blind is asked for again: a slip would lock the user
        // out of an encrypted file for good.
        const int confirmed = confirmOwnerName(name);
        if (confirmed != kKeyEnter) continue;
        const int status = SetFileOwner(file, name, OwnerAccessMode(requireForReadOnly, encrypt));
        if (status != 0) {
            messageBox("Error setting owner", statusText(status), kMessageOk);
            continue;
        }
        messageBox("Owner successfully set", "", kMessageOk | kMessageNeutral);
        return true;
    }
}

bool modifyFileOwner(FileViewer& viewer) { return modifyFileOwner(*viewer.dataFile); }
