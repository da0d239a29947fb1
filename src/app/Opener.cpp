#include "app/Opener.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "dictionary/DictionaryDef.h"
#include "app/FileCreation.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "viewer/FileViewer.h"
#include "app/FilePick.h"

namespace {

constexpr int kStatusFileNotFound = qdx::wire::kFileNotFound;
constexpr int kStatusInvalidOwner = qdx::wire::kInvalidOwner;
constexpr int kRecordBufferSize = static_cast<int>(qdx::wire::kMaxRecordLength);
constexpr int kOwnerWidth = 48;
constexpr int kOwnerFieldWidth = 8;
constexpr int kTitleBandRows = 2;

Estring OpenName(const Estring& path, const Estring& owner) {
    if (owner.IsEmpty()) return path;
    return path + "+" + owner;
}

void Report(const Estring& first, const Estring& second) { messageBox(first, second, kMessageOk); }

// Opens path, asking for the owner name while the engine wants one. The
// final status; 51 when the user gave up at the prompt.
int OpenWithOwner(BtrieveFile& file, const Estring& path, Estring& ownerName) {
    for (;;) {
        int status = file.open(OpenName(path, ownerName), 0);
        if (status != kStatusInvalidOwner) return status;
        if (askOwner(path, ownerName) == kKeyEsc) return status;
    }
}

std::unique_ptr<FileViewer> MakeViewer(BtrieveFile& file, DictionaryDef& definition) {
    int screenWidth = 0, screenHeight = 0;
    RawWindow::GetScreenSize(screenWidth, screenHeight);
    auto viewer = std::make_unique<FileViewer>(&file, definition, kTitleBandRows, screenHeight - kTitleBandRows);
    viewer->environment = processEnvironment;  // the last view file goes where TMP, TEMP or the state directory say
    viewer->joins->SetOpener(openJoinedFile);
    viewer->pickJoinTable = pickJoinTable;
    return viewer;
}

// Runs the grid over the open file until Esc or Alt-X; true for Alt-X. After
// a resize the grid is made again for the new size, over the windows below
// it laid out again by relayout, with the same view.
bool Browse(BtrieveFile& file, DictionaryDef& definition, uint8_t* buffer, const std::function<void()>& relayout) {
    std::unique_ptr<FileViewer> viewer = MakeViewer(file, definition);
    for (;;) {
        int key = viewer->run(buffer);
        if (key == kKeyAltX) return true;
        if (key == kKeyEsc) return false;
        if (key != RecordListWindow::kRunResized) continue;
        FileViewer::ViewState state = viewer->viewState();
        viewer.reset();
        if (relayout) relayout();
        viewer = MakeViewer(file, definition);
        viewer->restoreViewState(state);
    }
}

}  // namespace

int askOwner(const Estring& path, Estring& ownerName) {
    int screenWidth = 0, screenHeight = 0;
    RawWindow::GetScreenSize(screenWidth, screenHeight);
    const int inner = std::min(std::max(kOwnerWidth, path.Length()), screenWidth - 2);
    Dialog dialog(-1, -4, inner + 2, 6, kAttrAlert, kAttrAlert);
    dialog.AddHeading("Owner requried", 1);  // the heading adds the blanks around it
    dialog.AddText(1, 0, "An owner name is required to access the file");
    Estring shown = path.Left(inner);
    dialog.AddText((inner - shown.Length()) / 2, 1, shown);
    dialog.AddText(1, 3, "Owner Name:");
    dialog.AddPasswordField(13, 3, 0, ownerName, kOwnerFieldWidth);
    return dialog.Run();
}

bool openDataFile(const Estring& path, const uint8_t* tableRecord, Estring& ownerName,
                  const std::function<void()>& relayout) {
    BtrieveFile file;
    auto buffer = std::make_unique<uint8_t[]>(kRecordBufferSize);
    int status = 0;
    for (;;) {
        status = OpenWithOwner(file, path, ownerName);
        if (status != kStatusFileNotFound) break;
        // The owner name is not shown: the file's name is what the user needs to see.
        if (messageBox("File does not exist, create it?", path, kMessageOkCancel) != kAnswerOk) return false;
        DictionaryDef definition(tableRecord, path, nullptr, Report);
        if (!definition.valid) return false;
        int created = createFromDefinition(definition, false);
        if (created != 0) messageBox("Error creating file", statusText(created), kMessageOk);
    }
    if (status != 0) {
        messageBox(Estring("Error opening ") + path, statusText(status), kMessageOk);
        return false;
    }
    DictionaryDef definition(tableRecord, path, &file, Report);
    if (!definition.valid) return false;
    return Browse(file, definition, buffer.get(), relayout);
}

bool pickJoinTable(std::vector<uint8_t>& record, Estring& path, Estring& owner) {
    FilePick pick{Estring()};
    pick.WriteCentred(-1, Estring(" Select file to join to ").PadOrCut(FilePick::kWidth - 2), 0x2E);
    const int key = pick.run(nullptr);
    if (key != kKeyEnter && key != kKeyAltO) return false;
    record.assign(pick.recordBuffer.get(), pick.recordBuffer.get() + pick.recordBufferSize);
    path = pick.chosenFileName;
    owner = pick.ownerName;
    return true;
}

int openJoinedFile(BtrieveFile& file, const Estring& path, Estring& ownerName, unsigned& recordBufferSize) {
    int status = OpenWithOwner(file, path, ownerName);
    if (status != 0) {
        messageBox(statusText(status), Estring("opening ") + path, kMessageOk);
        return status;
    }
    recordBufferSize = (file.fileFlags() & qdx::wire::kFileVariable) != 0 ? kRecordBufferSize : file.recordLength();
    return 0;
}
