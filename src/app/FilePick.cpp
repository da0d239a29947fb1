#include "app/FilePick.h"

#include <algorithm>
#include <cstring>

#include "dictionary/Dictionary.h"
#include "btrieve/BtrieveFile.h"
#include "ui/Dialog.h"
#include "ui/DialogFileOpen.h"
#include "ui/KeyCodes.h"

namespace {

constexpr int kNameOffset = 2;
constexpr int kNameLength = 20;
constexpr int kLocationOffset = 22;
constexpr int kLocationLength = 64;
constexpr int kNameColumn = 22;
constexpr int kNameKey = 1;

Estring FieldText(const uint8_t* record, int offset, int length) {
    const char* p = reinterpret_cast<const char*>(record + offset);
    return Estring(p, static_cast<int>(strnlen(p, static_cast<size_t>(length)))).TrimRight();
}

int ScreenRows() {
    int w = 0, h = 0;
    RawWindow::GetScreenSize(w, h);
    return h;
}

// The list leaves ten lines of the screen free, but keeps a frame and one
// row: on a low screen a smaller height would draw the row over the frame,
// or (0 and below meaning "the screen less that many") cover the whole
// screen, title band included.
int ListHeight() { return std::max(3, ScreenRows() - 10); }

}  // namespace

Estring TableNameOf(const uint8_t* record) { return FieldText(record, kNameOffset, kNameLength); }
Estring TableLocationOf(const uint8_t* record) { return FieldText(record, kLocationOffset, kLocationLength); }

FilePick::FilePick(const Estring& dictionaryPath)
    : RecordListWindow(&FileDictionary(), false, -1, -2, kWidth, ListHeight(), kAttribute, "", nullptr,
                       kNameKey) {
    WriteCentred(-1, Estring(" ") + dictionaryPath + " ", kLabelAttribute);
    WriteText(-1, InnerHeight(), " Alt-O=Open Options ", kLabelAttribute);
    browseForFile = [](const Estring& directory, const Estring& name, Estring& chosenDirectory,
                       Estring& chosenName) {
        DialogFileOpen dialog(directory.IsEmpty() ? Estring(".") : directory, DialogFileOpen::kOpen);
        dialog.SetFileName(name);
        if (dialog.Run() != kKeyEnter) return false;
        chosenDirectory = dialog.Directory();
        chosenName = dialog.FileName();
        return true;
    };
}

FilePick::~FilePick() = default;

void FilePick::formatRow(Estring& text, int) {
    text = TableNameOf(recordBuffer.get()).PadOrCut(kNameColumn);
    text += TableLocationOf(recordBuffer.get());
}

bool FilePick::seekName(const Estring& name) {
    Estring key = name.PadOrCut(kNameLength);
    return seekTo(key.Text(), kNameLength);
}

bool FilePick::typeAhead(const Estring& text) {
    Estring key = text.PadOrCut(kNameLength);
    std::memset(keyBuffer, 0, sizeof keyBuffer);
    std::memcpy(keyBuffer, key.Text(), kNameLength);
    if (greaterOrEqualInView() != 0) return false;
    Estring found = TableNameOf(recordBuffer.get());
    return Estring::Compare(found.Left(text.Length()).View(), text.View()) == 0 && found.Length() >= text.Length();
}

bool FilePick::takeCursorTable() {
    if (rowCount() == 0) return false;
    if (reread(row(cursorRow()).position) != 0) return false;
    chosenFileName = TableLocationOf(recordBuffer.get());
    return true;
}

bool FilePick::handleKey(int key) {
    switch (key) {
        case kKeyEnter:
        case kKeyEsc:
            // Esc leaves even when the list is empty or its record is gone.
            if (!takeCursorTable()) return key == kKeyEsc;
            return true;
        case kKeyAltO:
            if (!takeCursorTable()) return false;
            return openOptions();
        default: return false;
    }
}

bool FilePick::openOptions() {
    Dialog dialog(-1, -3, 48, 7, 0x70, 0);
    dialog.AddHeading("File Open Options", 1);
    dialog.AddText(1, 1, " File Name:");
    int nameField = dialog.AddStringField(13, 1, 0, chosenFileName, 24, 0, 0);
    dialog.AddText(1, 2, "File Owner:");
    dialog.AddPasswordField(13, 2, 0, ownerName, 24);
    dialog.AddPushButton(10, 4, 0, kKeyEnter, "OK");
    dialog.AddPushButton(18, 4, 0, kKeyEsc, "Cancel");
    dialog.AddPushButton(38, 1, 0, kKeyBrowse, "...");
    for (;;) {
        int code = dialog.Run();
        if (code == kKeyEnter) return true;
        if (code == kKeyEsc) return false;
        if (code != kKeyBrowse || !browseForFile) continue;
        int slash = chosenFileName.FindCharFromRight('/');
        Estring directory = slash >= 0 ? chosenFileName.Left(slash + 1) : Estring();
        Estring name = slash >= 0 ? chosenFileName.Mid(slash + 1) : chosenFileName;
        Estring chosenDirectory, chosenName;
        if (browseForFile(directory, name, chosenDirectory, chosenName)) {
            if (!chosenDirectory.IsEmpty() && chosenDirectory[chosenDirectory.Length() - 1] != '/') chosenDirectory += '/';
            chosenFileName = chosenDirectory + chosenName;
            dialog.Redraw(nameField);
        }
    }
}
