#pragma once
// DialogFileOpen: walks the directory tree to open a file (kOpen), to name
// a file to save under (kSaveAs) or to choose a directory
// (kChooseDirectory).
//
// Layout inside the frame (k = 1 when saving, else 0); 65 columns wide (44
// when choosing a directory), 21 high, centred:
//   (1, 0)  "File:" and (1, 1) the name field, 61 wide   (saving only)
//   (1, k + 1)  "Path:" and the directory tree below it, 30 wide (40), 14 - k rows
//   (32, k + 1) "File:" and the file list below it, 30 wide, 14 - k rows
//               (not when choosing a directory)
//   row 16  the current directory, shortened from the left to fit
//   row 18  "OK" (13) and "Cancel" (27)
// The tree's lines are those of DirectoryTree: "Drives", the components of
// the directory, its subdirectories.
//
// Run() (the dialog loop, repeated until it closes):
//   Enter on the tree: a subdirectory line enters it, an ancestor line (or
//     "Drives") goes up to it, the directory's own line does nothing; the
//     dialog stays open
//   Enter on the file list, or anywhere when opening: the current file line
//     becomes the file name (empty when there are no files); returns 13
//   Enter on the name field or a button when saving: the typed name stays;
//     returns 13 (a save with an empty file list keeps the typed name)
//   Enter when choosing a directory: returns 13 with the directory
//   Esc or Cancel: returns 27
// After 13 the caller reads Directory() and FileName() and builds the full
// name itself. A directory that cannot be read shows no entries; the dialog
// reports no errors.
//
// Run() hides Dialog::Run: call it on the DialogFileOpen itself.

#include <cstdint>

#include "base/Estring.h"
#include "ui/Dialog.h"
#include "ui/DirectoryTree.h"

class DialogFileOpen : public Dialog {
public:
    static constexpr uint8_t kOpen = 0;
    static constexpr uint8_t kSaveAs = 1;
    static constexpr uint8_t kChooseDirectory = 2;

    // path: the starting directory (made absolute; relative to the working
    // directory). pattern null: "*". attribute < 0: ColourScheme[0]. title
    // null: "Open File", "Save As" or "Choose Directory" by mode.
    DialogFileOpen(const Estring& path, int mode, const char* pattern = nullptr, int attribute = -1,
                   const char* title = nullptr);

    int Run();

    // The current directory, absolute; empty while the starting points ("Drives") are shown.
    const Estring& Directory() const { return tree.Directory(); }
    // The chosen or typed name; a caller may preset it before Run().
    const Estring& FileName() const { return fileName; }
    void SetFileName(const Estring& name);
    int Mode() const { return mode; }
    const Estring& Pattern() const { return pattern; }

    // The lists as shown, and the controls showing them (-1 when absent).
    const EstringStore& TreeEntries() const { return tree.TreeEntries(); }
    const EstringStore& FileEntries() const { return tree.FileEntries(); }
    int TreeCurrent() const { return treeCurrent; }
    int FileCurrent() const { return fileCurrent; }
    int Depth() const { return tree.Depth(); }
    int TreeControl() const { return treeControl; }
    int FileControl() const { return fileControl; }
    int NameControl() const { return nameControl; }

    // Screen rows of the layout, inside the frame.
    static constexpr int kPathRow = 16;
    static constexpr int kButtonRow = 18;

private:
    // Shows directory: both lists rebuilt, the tree's current line on the directory itself.
    void Fill(const Estring& directory);
    void DrawPath();
    void TellCount(int control, int count);

    uint8_t mode;
    Estring fileName;
    Estring pattern;
    DirectoryTree tree;
    int treeCurrent = 0;
    int treeControl = -1;
    int fileCurrent = 0;
    int fileControl = -1;
    int nameControl = -1;
};
