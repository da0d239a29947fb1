#include "ui/DialogFileOpen.h"

#include "ui/ColourScheme.h"
#include "ui/KeyCodes.h"

namespace {

constexpr int kWidth = 65;
constexpr int kDirectoryWidth = 44;  // choosing a directory: no file list
constexpr int kHeight = 21;
constexpr int kListWidth = 30;
constexpr int kWideTreeWidth = 40;
constexpr int kListRows = 14;
constexpr int kFileColumn = 32;
constexpr int kNameWidth = 61;
constexpr int kNameMaximum = 4096;
constexpr int kNewGroup = 2;         // starts a group; Tab enters it at its current member
constexpr int kNewGroupAtHead = 1;   // starts a group; Tab enters it at its head

const char* DefaultTitle(int mode) {
    switch (mode) {
        case DialogFileOpen::kSaveAs: return "Save As";
        case DialogFileOpen::kChooseDirectory: return "Choose Directory";
        default: return "Open File";
    }
}

}  // namespace

DialogFileOpen::DialogFileOpen(const Estring& path, int mode_, const char* pattern_, int attribute,
                               const char* title)
    : Dialog(-1, -2, mode_ == kChooseDirectory ? kDirectoryWidth : kWidth, kHeight,
             attribute < 0 ? ColourScheme[kColourWindow] : attribute, 0),
      mode(static_cast<uint8_t>(mode_ == kSaveAs || mode_ == kChooseDirectory ? mode_ : kOpen)),
      pattern(pattern_ != nullptr ? pattern_ : "*") {
    const int k = mode == kSaveAs ? 1 : 0;
    AddHeading(Estring(title != nullptr ? title : DefaultTitle(mode)), 1);
    if (mode == kSaveAs) {
        AddText(1, 0, "File:");
        nameControl = AddStringField(1, 1, kNewGroup, fileName, kNameWidth, kNameMaximum, 0, -1);
    }
    AddText(1, k + 1, "Path:");
    treeControl = AddListBoxEstring(1, k + 2, kNewGroup, mode == kChooseDirectory ? kWideTreeWidth : kListWidth,
                                    kListRows - k, tree.TreeEntries(), treeCurrent, 0);
    if (mode != kChooseDirectory) {
        AddText(kFileColumn, k + 1, "File:");
        fileControl = AddListBoxEstring(kFileColumn, k + 2, kNewGroup, kListWidth, kListRows - k,
                                        tree.FileEntries(), fileCurrent, 0);
    }
    int x0 = (Right() - Left() - 17) / 2;
    AddPushButton(x0, kButtonRow, kNewGroupAtHead, kKeyEnter, "OK");
    AddPushButton(x0 + 8, kButtonRow, 0, kKeyEsc, "Cancel");
    Fill(DirectoryTree::AbsolutePath(path.View()));
}

void DialogFileOpen::SetFileName(const Estring& name) {
    fileName = name;
    if (nameControl >= 0) Redraw(nameControl);
}

void DialogFileOpen::TellCount(int control, int count) {
    if (control < 0) return;
    InputEvent message{kEventSetCount, count, 0, 0};
    SendEvent(control, message);
}

void DialogFileOpen::Fill(const Estring& directory) {
    TellCount(fileControl, 0);
    int depth = tree.Fill(directory, pattern, mode == kChooseDirectory);
    treeCurrent = depth;
    fileCurrent = 0;
    TellCount(treeControl, tree.TreeEntries().Count());
    TellCount(fileControl, tree.FileEntries().Count());
    DrawPath();
}

void DialogFileOpen::DrawPath() {
    int room = Right() - Left() - 3;
    WriteText(1, kPathRow, DirectoryTree::ShortenPath(tree.Directory(), room));
    ClearToEndOfLine();
}

int DialogFileOpen::Run() {
    for (;;) {
        int code = Dialog::Run();
        if (code != kKeyEnter) return code;
        int focused = Focus();
        if (focused == treeControl) {
            if (treeCurrent != tree.Depth()) Fill(tree.DirectoryForLine(treeCurrent));
            continue;
        }
        if (mode == kChooseDirectory) return code;
        if (focused == fileControl || mode == kOpen) {
            // Saving keeps the typed name when there is no file to take instead.
            if (mode == kOpen || tree.FileEntries().Count() > 0) fileName = tree.FileName(fileCurrent);
            return code;
        }
        return code;  // saving, on the name field or a button: the typed name stands
    }
}
