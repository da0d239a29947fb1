#include "app/Startup.h"

#include <cstring>
#include <memory>

#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryLayout.h"
#include "app/DictionaryPrompt.h"
#include "app/FilePick.h"
#include "app/Opener.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "ui/ColourScheme.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/LockWaitWindow.h"
#include "ui/QDXBackground.h"

namespace {

constexpr int kMessageWidth = 60;
constexpr int kMessageHeight = 4;

}  // namespace

const char* UsageText() {
    return "Usage: quarrydex [-d DIRECTORY] [DATAFILE]\n"
           "Browse and edit the data files of a database described by its dictionary\n"
           "(file.ddf, field.ddf, index.ddf).\n"
           "\n"
           "  DATAFILE       open this file at once; it is matched to its table by the\n"
           "                 location stored in the dictionary (\".dat\" is added when the\n"
           "                 name has no \".\")\n"
           "  -d DIRECTORY   read the dictionary from DIRECTORY (also /d DIRECTORY)\n"
           "  --help         show this text and exit\n"
           "  --version      show the version and exit\n"
           "\n"
           "Environment:\n"
           "  DDFPATH        where to look for the dictionary when -d is not given,\n"
           "                 separated by \";\" (default \".;ddf;../ddf;../../ddf\")\n"
           "  TMP, TEMP      directory of the last view of every file\n"
           "  QDX_ENGINE_LIBRARY  the engine library to load (default: libqdxengine.so\n"
           "                 beside the program)\n"
           "\n"
           "Keys to get started: in the table list, type the first letters of a table\n"
           "and press Enter to open it; in the grid, the arrows, Page Up/Down, Home and\n"
           "End move, F1 shows every key, Esc goes back to the list, Alt-X ends the\n"
           "program.\n"
           "\n"
           "Example (the demo database):\n"
           "  build/bin/qdxutil demo /tmp/demo && cd /tmp/demo && quarrydex orders\n";
}

Estring NormalisedFileArgument(const Estring& argument) {
    Estring name = argument;
    for (int i = 0; i < name.Length(); ++i)
        if (name[i] == '\\') name[i] = '/';
    if (name.FindChar('.') < 0) name += ".dat";
    return name;
}

bool FindTableByLocation(const Estring& argument, std::vector<uint8_t>& record) {
    int slash = argument.FindCharFromRight('/');
    Estring baseName = slash >= 0 ? argument.Mid(slash + 1) : argument;
    BtrieveFile& files = FileDictionary();
    record.assign(qdx::wire::kMaxRecordLength, 0);
    uint8_t key[256] = {};
    files.setDataLength(static_cast<uint16_t>(record.size() > 0xFFFF ? 0xFFFF : record.size()));
    int status = files.getFirst(key, record.data(), 0);
    while (status == 0) {
        Estring location = TableLocationOf(record.data());
        if (Estring::Compare(location.View(), baseName.View()) == 0 ||
            Estring::Compare(location.View(), argument.View()) == 0)
            return true;
        files.setDataLength(static_cast<uint16_t>(qdx::wire::kMaxRecordLength));
        status = files.getNext(key, record.data(), 0);
    }
    return false;
}

namespace {

// The start-up screen and the table list, made again when the console's size changes.
class StartScreen {
public:
    StartScreen() { MakeBackground(); }
    ~StartScreen() {
        pick.reset();
        background.reset();
    }

    // The table list over the open dictionary, whose file.ddf is named on its frame.
    void MakePick(const Estring& fileName) {
        dictionaryFile = fileName;
        MakePick();
    }
    void MakePick() { pick = std::make_unique<FilePick>(dictionaryFile); }

    // Closes the list and the background and makes both again for the current size.
    void Relayout() {
        RecordListWindow::PageState state = pick->pageState();
        Estring owner = pick->ownerName;
        Estring chosen = pick->chosenFileName;
        pick.reset();
        background.reset();
        MakeBackground();
        MakePick();
        pick->ownerName = owner;
        pick->chosenFileName = chosen;
        pick->restorePageState(state);
    }

    FilePick& Pick() { return *pick; }

private:
    void MakeBackground() {
        background = std::make_unique<QDXBackground>();
        background->DrawTitleBand(kProgramTitle);
        SetCursorShape(0);
    }

    Estring dictionaryFile;
    std::unique_ptr<QDXBackground> background;
    std::unique_ptr<FilePick> pick;
};

// The interfaces the lower layers report through, installed for the length
// of a run: the windowed lock wait (without it a locked record is retried
// unseen, with no way to give up) and the dictionary's message box. Whatever
// was installed before is put back at the end, on every way out.
class InstalledInterfaces {
public:
    InstalledInterfaces() : formerPrompt(InstalledLockWaitPrompt()), formerMessages(InstalledDictionaryMessages()) {
        InstallLockWaitPrompt(&lockWait);
        InstallDictionaryMessages(&messages);
    }
    ~InstalledInterfaces() {
        InstallDictionaryMessages(formerMessages);
        InstallLockWaitPrompt(formerPrompt);
    }
    InstalledInterfaces(const InstalledInterfaces&) = delete;
    InstalledInterfaces& operator=(const InstalledInterfaces&) = delete;

private:
    LockWaitWindow lockWait;
    MessageBoxDictionaryMessages messages;
    LockWaitPrompt* formerPrompt;
    DictionaryMessages* formerMessages;
};

}  // namespace

int RunQuarrydex(const CommandLine& commandLine) {
    InstalledInterfaces interfaces;
    // The background comes first: the dictionary prompt shows over it.
    auto screen = std::make_unique<StartScreen>();
    Estring path = commandLine.dictionaryPath;
    if (!openDictionary(path, AskDictionaryPath)) return 1;
    StartScreen& start = *screen;
    start.MakePick(FileDictionary().fileName());
    std::vector<uint8_t> record(start.Pick().recordBufferSize, 0);
    auto relayout = [&start] { start.Relayout(); };
    Estring fileArgument = commandLine.fileArgument;
    int result = 0;
    while (result != kKeyEsc) {
        FilePick& pick = start.Pick();
        if (!fileArgument.IsEmpty()) {
            fileArgument = NormalisedFileArgument(fileArgument);
            std::vector<uint8_t> found;
            if (FindTableByLocation(fileArgument, found)) {
                pick.seekName(TableNameOf(found.data()));
                std::memcpy(record.data(), found.data(), record.size());
                result = kKeyEnter;
            } else {
                {
                    RawWindow message(-1, pick.Bottom() + 2, kMessageWidth, kMessageHeight, kAttrAlert, kAttrAlert,
                                      false);
                    message.WriteCentred(0, Estring("Unknown file: ") + commandLine.fileArgument);
                    message.WriteCentred(1, "Choose a definition for the file");
                    result = pick.run(record.data());
                }
                if (result == RecordListWindow::kRunResized) {
                    start.Relayout();
                    continue;  // the message again, over the new list
                }
                if (result == kKeyAltO) fileArgument = pick.chosenFileName;
            }
        } else {
            result = pick.run(record.data());
            if (result == RecordListWindow::kRunResized) {
                start.Relayout();
                continue;
            }
            if (result == kKeyEnter || result == kKeyAltO) fileArgument = pick.chosenFileName;
        }
        if ((result == kKeyEnter || result == kKeyAltO) && start.Pick().currentStatus == 0) {
            if (openDataFile(fileArgument, record.data(), start.Pick().ownerName, relayout)) result = kKeyEsc;
            start.Pick().refill();
        }
        fileArgument.Clear();
    }
    screen.reset();
    closeDictionary();
    return 0;
}
