#include "ui/DialogFileOpen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "UiTestSupport.h"
#include "ui/KeyCodes.h"

namespace {

// The dialog is centred on the 80 x 25 test screen: 65 wide (44 when
// choosing a directory) and 21 high, so its origin (inside the frame) is
// (8, 3), or (19, 3) for the narrow form.
constexpr int kOriginY = 3;
int OriginX(int mode) { return mode == DialogFileOpen::kChooseDirectory ? 19 : 8; }

std::vector<std::string> Lines(const EstringStore& store) {
    std::vector<std::string> lines;
    for (int i = 0; i < store.Count(); ++i) lines.push_back(store.Get(i)->ToStdString());
    return lines;
}

// Files and folders of every test:  a.csv  B.CSV  notes.txt  été.csv
//   café/            (empty)
//   sub/inner.csv    sub/deeper/
class DialogFileOpenTest : public uitest::ScreenTest {
protected:
    DialogFileOpenTest() : home(temp.root.c_str()) {
        for (const char* name : {"a.csv", "B.CSV", "notes.txt", "\xC3\xA9t\xC3\xA9.csv"}) temp.File(name);
        temp.Dir("caf\xC3\xA9");
        temp.Dir("sub");
        temp.File("sub/inner.csv");
        temp.Dir("sub/deeper");
        root = temp.Cp437();
        before = screen.Cells();
    }
    ~DialogFileOpenTest() override { EXPECT_EQ(before, screen.Cells()) << "the screen was not restored"; }

    void Keys(const std::vector<int>& codes) {
        for (int code : codes) keys.PushKey(code);
    }
    std::string Inside(int mode, int x, int y, int width) const { return Row(OriginX(mode) + x, kOriginY + y, width); }

    uitest::TempTree temp;
    uitest::HomeOverride home;
    std::string root;
    std::vector<Cell> before;
};

}  // namespace

TEST_F(DialogFileOpenTest, OpenModeLayoutAndLists) {
    DialogFileOpen d(Estring(root), DialogFileOpen::kOpen, "*.CSV");
    const int depth = d.Depth();
    const std::string indent(2 * (depth + 1), ' ');
    std::vector<std::string> tree = Lines(d.TreeEntries());
    ASSERT_EQ(static_cast<size_t>(depth + 3), tree.size());
    EXPECT_EQ("Drives", tree[0]);
    EXPECT_EQ("  /", tree[1]);
    EXPECT_EQ(indent + "caf\x82", tree[static_cast<size_t>(depth + 1)]);
    EXPECT_EQ(indent + "sub", tree[static_cast<size_t>(depth + 2)]);
    EXPECT_EQ((std::vector<std::string>{"a.csv", "B.CSV", "\x82t\x82.csv"}), Lines(d.FileEntries()));
    EXPECT_EQ(depth, d.TreeCurrent());

    keys.PushTimeout();  // one turn of the loop draws every control
    EXPECT_EQ(0, d.Run());
    const int m = DialogFileOpen::kOpen;
    EXPECT_EQ(" Open File ", Row(8 + 26, 2, 11));  // centred on the top frame line
    EXPECT_EQ("Path:", Inside(m, 1, 1, 5));
    EXPECT_EQ("File:", Inside(m, 32, 1, 5));
    EXPECT_EQ("Drives", Inside(m, 1, 2, 6));
    EXPECT_EQ("\x82t\x82.csv", Inside(m, 32, 4, 7));  // shown in the code page
    EXPECT_EQ(root + std::string(61 - root.size(), ' '), Inside(m, 1, DialogFileOpen::kPathRow, 61));
    EXPECT_EQ("[ OK ]", Inside(m, 23, DialogFileOpen::kButtonRow, 6));
    EXPECT_EQ("[ Cancel ]", Inside(m, 31, DialogFileOpen::kButtonRow, 10));
    EXPECT_EQ(-1, d.NameControl());

    Keys({kKeyEsc});
    EXPECT_EQ(27, d.Run());
}

TEST_F(DialogFileOpenTest, ChoosesAFileInAllThreeWays) {
    struct Case {
        const char* name;
        int mode;
        std::vector<int> keys;
        int expectCode;
        std::string expectDirectory;  // relative to the temporary root
        const char* expectName;
    };
    const Case cases[] = {
        {"open: a file from the list", DialogFileOpen::kOpen, {kKeyTab, kKeyDown, kKeyEnter}, 13, "", "B.CSV"},
        {"open: OK takes the current file", DialogFileOpen::kOpen, {kKeyTab, kKeyEnd, kKeyTab, kKeyEnter}, 13, "",
         "\x82t\x82.csv"},
        {"open: the directory's own line does nothing", DialogFileOpen::kOpen, {kKeyEnter, kKeyEsc}, 27, "", ""},
        {"open: into sub and its file", DialogFileOpen::kOpen, {kKeyEnd, kKeyEnter, kKeyTab, kKeyEnter}, 13, "/sub",
         "inner.csv"},
        {"open: into sub and back up", DialogFileOpen::kOpen,
         {kKeyEnd, kKeyEnter, kKeyUp, kKeyEnter, kKeyTab, kKeyEnter}, 13, "", "a.csv"},
        {"open: an empty directory gives no name", DialogFileOpen::kOpen, {kKeyDown, kKeyEnter, kKeyTab, kKeyEnter},
         13, "/caf\x82", ""},
        {"open: Cancel", DialogFileOpen::kOpen, {kKeyTab, kKeyTab, kKeyRight, kKeyEnter}, 27, "", ""},
        {"save: the typed name", DialogFileOpen::kSaveAs, {'o', 'u', 't', '.', 'c', 's', 'v', kKeyEnter}, 13, "",
         "out.csv"},
        {"save: a name from the file list", DialogFileOpen::kSaveAs, {'x', kKeyTab, kKeyTab, kKeyEnter}, 13, "",
         "a.csv"},
        {"save: typed name kept over an empty file list", DialogFileOpen::kSaveAs,
         {'k', 'e', 'e', 'p', kKeyTab, kKeyDown, kKeyEnter, kKeyTab, kKeyEnter}, 13, "/caf\x82", "keep"},
        {"save: OK keeps the typed name", DialogFileOpen::kSaveAs, {'n', kKeyShiftTab, kKeyEnter}, 13, "", "n"},
        {"directory: OK on the start", DialogFileOpen::kChooseDirectory, {kKeyTab, kKeyEnter}, 13, "", ""},
        {"directory: two levels down", DialogFileOpen::kChooseDirectory,
         {kKeyEnd, kKeyEnter, kKeyEnd, kKeyEnter, kKeyTab, kKeyEnter}, 13, "/sub/deeper", ""},
        {"directory: Esc", DialogFileOpen::kChooseDirectory, {kKeyEnd, kKeyEnter, kKeyEsc}, 27, "/sub", ""},
    };
    for (const Case& c : cases) {
        DialogFileOpen d(Estring(root), c.mode, "*.csv");
        Keys(c.keys);
        EXPECT_EQ(c.expectCode, d.Run()) << c.name;
        EXPECT_EQ(root + c.expectDirectory, d.Directory().ToStdString()) << c.name;
        EXPECT_EQ(c.expectName, d.FileName().ToStdString()) << c.name;
        EXPECT_EQ(0, keys.Remaining()) << c.name;
        keys.Clear();
    }
}

TEST_F(DialogFileOpenTest, DrivesAndBack) {
    DialogFileOpen d(Estring(root + "/sub"), DialogFileOpen::kOpen, nullptr);
    Keys({kKeyHome, kKeyEnter});  // to "Drives"
    keys.PushTimeout();
    EXPECT_EQ(0, d.Run());
    EXPECT_EQ("", d.Directory().ToStdString());
    EXPECT_EQ(0, d.Depth());
    EXPECT_EQ((std::vector<std::string>{"Drives", "  /", "  " + root}), Lines(d.TreeEntries()));
    EXPECT_EQ(0, d.FileEntries().Count());
    EXPECT_EQ(std::string(61, ' '), Inside(0, 1, DialogFileOpen::kPathRow, 61));
    EXPECT_EQ(std::string(30, ' '), Inside(0, 32, 2, 30));  // the file list is blank

    Keys({kKeyDown, kKeyDown, kKeyEnter});  // the home directory
    keys.PushTimeout();
    d.Run();
    EXPECT_EQ(root, d.Directory().ToStdString());
    EXPECT_EQ(3, d.FileEntries().Count() - 1);  // a.csv B.CSV notes.txt été.csv with "*"

    Keys({kKeyHome, kKeyEnter, kKeyDown, kKeyEnter});  // "Drives", then "/"
    keys.PushTimeout();
    d.Run();
    EXPECT_EQ("/", d.Directory().ToStdString());
    EXPECT_EQ(1, d.Depth());
    for (const std::string& line : Lines(d.TreeEntries())) {
        EXPECT_NE("    .", line);
        EXPECT_NE("    ..", line);
    }
}

TEST_F(DialogFileOpenTest, DoubleClickOnATreeLineEntersIt) {
    DialogFileOpen d(Estring(root), DialogFileOpen::kOpen, "*.csv");
    const int subLine = d.Depth() + 2;  // "café" then "sub"
    keys.PushMouse(kEventLeftPress, 8 + 1 + 3, kOriginY + 2 + subLine);
    keys.PushMouse(kEventLeftRelease, 8 + 1 + 3, kOriginY + 2 + subLine);
    keys.PushMouse(kEventDoubleClick, 8 + 1 + 3, kOriginY + 2 + subLine);
    keys.PushTimeout();
    d.Run();
    EXPECT_EQ(root + "/sub", d.Directory().ToStdString());
    EXPECT_EQ((std::vector<std::string>{"inner.csv"}), Lines(d.FileEntries()));
    // A double click on the file ends the dialog with it.
    keys.PushMouse(kEventDoubleClick, 8 + 32, kOriginY + 2);
    EXPECT_EQ(13, d.Run());
    EXPECT_EQ("inner.csv", d.FileName().ToStdString());
}

TEST_F(DialogFileOpenTest, SaveModeLayoutAndPresetName) {
    DialogFileOpen d(Estring(root), DialogFileOpen::kSaveAs, "*.csv");
    d.SetFileName("view.qdx");
    keys.PushTimeout();
    EXPECT_EQ(0, d.Run());
    const int m = DialogFileOpen::kSaveAs;
    EXPECT_EQ(" Save As ", Row(8 + 27, 2, 9));
    EXPECT_EQ("File:", Inside(m, 1, 0, 5));
    EXPECT_EQ("view.qdx", Inside(m, 1, 1, 8));
    EXPECT_EQ("Path:", Inside(m, 1, 2, 5));
    EXPECT_EQ("Drives", Inside(m, 1, 3, 6));
    EXPECT_EQ("a.csv", Inside(m, 32, 3, 5));
    Keys({kKeyEnter});
    EXPECT_EQ(13, d.Run());
    EXPECT_EQ("view.qdx", d.FileName().ToStdString());
}

TEST_F(DialogFileOpenTest, DirectoryModeHasNoFileList) {
    DialogFileOpen d(Estring(root), DialogFileOpen::kChooseDirectory, "*.csv", -1, "Pick a Folder");
    keys.PushTimeout();
    EXPECT_EQ(0, d.Run());
    const int m = DialogFileOpen::kChooseDirectory;
    EXPECT_EQ(-1, d.FileControl());
    EXPECT_EQ(0, d.FileEntries().Count());
    EXPECT_EQ(" Pick a Folder ", Row(19 + 13, 2, 15));
    EXPECT_EQ("Path:", Inside(m, 1, 1, 5));
    EXPECT_EQ(std::string(40 - 6, ' '), Inside(m, 7, 2, 34));  // the tree is 40 wide: "Drives" and blanks
    EXPECT_EQ(std::string::npos, Row(0, kOriginY + 1, 80).find("File:"));
    EXPECT_EQ("[ OK ]", Inside(m, 13, DialogFileOpen::kButtonRow, 6));
    Keys({kKeyEsc});
    EXPECT_EQ(27, d.Run());
}

TEST_F(DialogFileOpenTest, LongPathIsShortenedFromTheLeft) {
    std::string deep = "sub/deeper";
    for (int i = 0; i < 6; ++i) {
        deep += "/a_rather_long_folder";
        temp.Dir(deep);
    }
    DialogFileOpen d(Estring(root + "/" + deep), DialogFileOpen::kOpen, nullptr);
    const std::string full = root + "/" + deep;
    ASSERT_GT(full.size(), 61u);
    EXPECT_EQ("..." + full.substr(full.size() - 58), Inside(0, 1, DialogFileOpen::kPathRow, 61));
    Keys({kKeyEsc});
    d.Run();
}

TEST_F(DialogFileOpenTest, RelativePathStartsFromTheWorkingDirectory) {
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(temp.root.c_str()));
    {
        DialogFileOpen d(Estring("sub\\deeper\\.."), DialogFileOpen::kOpen, nullptr);
        EXPECT_EQ(root + "/sub", d.Directory().ToStdString());
        Keys({kKeyEsc});
        d.Run();
    }
    ASSERT_EQ(0, chdir(cwd));
}

TEST_F(DialogFileOpenTest, UnreadableDirectoryShowsNoEntries) {
    temp.Dir("locked");
    temp.File("locked/secret.csv");
    temp.Dir("locked/hidden_dir");
    chmod((temp.root + "/locked").c_str(), 0311);  // may be entered, not listed
    const std::string start = root;
    int outcome = uitest::RunAsNonRoot([&] {
        DialogFileOpen d(Estring(start), DialogFileOpen::kOpen, nullptr);
        int lockedLine = -1;
        for (int i = 0; i < d.TreeEntries().Count(); ++i)
            if (d.TreeEntries().Get(i)->Trim() == "locked") lockedLine = i;
        if (lockedLine < 0) return 1;
        for (int i = d.TreeCurrent(); i < lockedLine; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);   // into the locked directory
        keys.PushKey(kKeyTab);
        keys.PushKey(kKeyEnter);   // the empty file list: open with no name
        if (d.Run() != 13) return 2;
        if (d.Directory().ToStdString() != start + "/locked") return 3;
        if (d.FileEntries().Count() != 0 || !d.FileName().IsEmpty()) return 4;
        if (d.TreeEntries().Count() != d.Depth() + 1) return 5;
        return 0;
    });
    EXPECT_EQ(0, outcome) << "1: locked not listed, 2: wrong exit code, 3: wrong directory, 4: files shown, "
                             "5: subdirectories shown, 99: could not give up root";
}
