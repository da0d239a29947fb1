#include "viewer/ViewDialogs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ViewerFixture.h"
#include "dictionary/DictionaryDef.h"
#include "fields/FieldAttributes.h"
#include "ui/KeyCodes.h"
#include "viewer/SortRestrict.h"

namespace {

using viewertest::ReadBytes;
using viewertest::ScreenCells;
using viewertest::ScreenText;
using viewertest::WriteBytes;

constexpr const char* kDefaultView = "[QDX v1.0 View File]\nDictionaryName=Items\nIndex=0\n\n";

class ViewDialogsTest : public viewertest::ViewerFixture {
protected:
    // Index 1 (Name) from "Item 12" to "Item 5", a filter, a narrower Remark,
    // Extra hidden, and a calculated column.
    void ChangeView() {
        viewer->setKeyNumber(1);
        bool active = false;
        Estring bad;
        ASSERT_TRUE(BuildRange(*definition, 1, {Estring("Item 12")}, {Estring("Item 5")}, viewer->rangeFrom,
                               viewer->rangeTo, active, bad));
        viewer->rangeActive = active ? 1 : 0;
        viewer->fields.Find("Remark")->width = -10;
        viewer->fields.Find("Extra")->selected = false;
        viewer->fields.Add(FieldAttributes::Calculated(Estring("Double"), 8, Estring("Id * 2"), 0));
        viewer->setFilter("Id != 3");
        viewer->redrawGrid();
    }

    // What the grid shows: the screen's text and the viewer's view.
    std::string Shown() {
        std::string s = ScreenText(screen);
        s += "key " + std::to_string(viewer->keyNumber) + " range " + std::to_string(viewer->rangeActive) +
             " filter " + viewer->filterText.ToStdString();
        return s;
    }
};

TEST_F(ViewDialogsTest, F2WritesTheDefaultViewInFourLinesAndRestoresTheScreen) {
    OpenItems(5);
    const std::string before = ScreenCells(screen);
    keys.PushKey(kKeyF2);
    keys.PushKey(kKeyEnter);  // the file dialog: the preset name
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Save As"));
    EXPECT_TRUE(keys.Saw("items.qdx"));
    EXPECT_EQ(kDefaultView, ReadBytes(Path("items.qdx")));
    EXPECT_TRUE(SameScreen(before));

    // Esc in the file dialog writes nothing.
    std::filesystem::remove(Path("items.qdx"));
    keys.PushKey(kKeyF2);
    keys.PushKey(kKeyEsc);
    ASSERT_TRUE(RunScript());
    EXPECT_FALSE(std::filesystem::exists(Path("items.qdx")));
    EXPECT_TRUE(SameScreen(before));
}

TEST_F(ViewDialogsTest, AnExistingViewIsReplacedOnlyAfterOk) {
    OpenItems(5);
    WriteBytes(Path("items.qdx"), kDefaultView);
    viewer->setFilter("Id > 1");
    keys.PushKey(kKeyF2);
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);  // Cancel to "Overwrite existing view?"
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Overwrite existing view?"));
    EXPECT_EQ(kDefaultView, ReadBytes(Path("items.qdx")));

    keys.PushKey(kKeyF2);
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // OK
    ASSERT_TRUE(RunScript());
    EXPECT_EQ("[QDX v1.0 View File]\nDictionaryName=Items\nIndex=0\nFilter=Id > 1\n\n", ReadBytes(Path("items.qdx")));
}

TEST_F(ViewDialogsTest, F3BringsBackTheSavedGridInAFreshViewer) {
    OpenItems(40);
    ChangeView();
    const std::string changed = Shown();
    ASSERT_EQ((std::vector<int>{12, 13, 14, 15, 16, 17, 18, 19, 2, 20, 21, 22, 23, 24, 25, 26, 27, 28}), PageIds());
    keys.PushKey(kKeyF2);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    const std::string saved = ReadBytes(Path("items.qdx"));
    EXPECT_EQ(
        "[QDX v1.0 View File]\nDictionaryName=Items\nIndex=1\nFilter=Id != 3\n"
        "RangeMin=Item 12\nRangeMax=Item 5\n\n"
        "[Field:Remark]\nWidth=-10\n\n"
        "[Field:Extra]\nEnabled=N\n\n"
        "[CalcField:Double]\nDecPlaces=0\nFormula=Id * 2\n\n",
        saved);

    MakeViewer();
    ASSERT_NE(changed, Shown());
    keys.PushKey(kKeyF3);
    keys.PushKey(kKeyTab);    // from the directory tree to the file list
    keys.PushKey(kKeyEnter);  // items.qdx, the one view file there
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Open File"));
    EXPECT_EQ(changed, Shown());
    EXPECT_EQ(0, viewer->cursorRow());
}

TEST_F(ViewDialogsTest, AFileThatDoesNotFitLeavesTheViewAsItWas) {
    OpenItems(10);
    viewer->setFilter("Id > 2");
    viewer->fields.Find("Name")->width = -12;
    viewer->redrawGrid();
    ASSERT_TRUE(RunScript());  // the screen as the grid leaves it between commands
    const std::string before = ScreenCells(screen);
    const struct {
        const char* text;
        const char* first;
        const char* second;
    } cases[] = {
        {"[QDX v1.0 View File]\nDictionaryName=Narrow\nIndex=0\n\n", "Incompatible view file", ""},
        {"[QDX v1.0 View File]\nDictionaryName=Items\nIndex=7\n\n[Field:Id]\nWidth=3\n\n", "Incompatible view file",
         "Index 7 is not defined"},
        {"[qdx v1.0 view file]\nDictionaryName=Items\n", "Invalid view file", "items.qdx"},
        {"", "Unable to read view file", "items.qdx"},
    };
    for (const auto& c : cases) {
        WriteBytes(Path("items.qdx"), c.text);
        keys.screens.clear();
        keys.PushKey(kKeyF3);
        keys.PushKey(kKeyTab);
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyEnter);  // closes the message
        ASSERT_TRUE(RunScript()) << c.text;
        const std::string* box = nullptr;
        for (const std::string& s : keys.screens)
            if (s.find(c.first) != std::string::npos) box = &s;
        ASSERT_NE(nullptr, box) << c.text;
        if (*c.second) {
            EXPECT_NE(std::string::npos, box->find(c.second)) << *box;
        }
        EXPECT_EQ("Id > 2", viewer->filterText.ToStdString()) << c.text;
        EXPECT_EQ(-12, viewer->fields.Find("Name")->width) << c.text;
        EXPECT_TRUE(SameScreen(before)) << c.text;
    }
}

TEST_F(ViewDialogsTest, AFileThatOpensButCannotBeReadLeavesTheViewAsItWas) {
    OpenItems(10);
    ChangeView();
    ASSERT_TRUE(RunScript());
    const std::string before = ScreenCells(screen);
    const std::string shown = Shown();
    // This process's memory file opens as a regular file, and its first read fails.
    ASSERT_EQ(0, symlink("/proc/self/mem", Path("items.qdx").c_str()));
    keys.PushKey(kKeyF3);
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // closes the message
    ASSERT_TRUE(RunScript());
    const std::string* box = nullptr;
    for (const std::string& s : keys.screens)
        if (s.find("Unable to read view file") != std::string::npos) box = &s;
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, box->find("items.qdx")) << *box;
    EXPECT_EQ("Id != 3", viewer->filterText.ToStdString());
    EXPECT_EQ(-10, viewer->fields.Find("Remark")->width);
    EXPECT_NE(nullptr, viewer->fields.Find("Double"));
    EXPECT_EQ(shown, Shown());
    EXPECT_TRUE(SameScreen(before));
}

TEST_F(ViewDialogsTest, LastViewIsWrittenOnCloseAndShiftF3LoadsIt) {
    std::filesystem::create_directory(Path("tmp"));
    environment["TMP"] = Path("tmp/");
    OpenItems(40);
    ChangeView();
    const std::string changed = Shown();
    viewer.reset();
    EXPECT_EQ(0u, ReadBytes(Path("tmp/items.qdx")).find("[QDX v1.0 View File]\nDictionaryName=Items\nIndex=1\n"));

    MakeViewer();
    keys.PushKey(kKeyShiftF3);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(changed, Shown());

    // A directory without the file: Shift-F3 says so and changes nothing.
    environment["TMP"] = Path("empty");
    std::filesystem::create_directory(Path("empty"));
    keys.PushKey(kKeyShiftF3);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Unable to open view file"));
    EXPECT_EQ(changed, Shown());
}

TEST_F(ViewDialogsTest, AViewWithAJoinAfterACalculatedColumnComesBackTheSame) {
    std::filesystem::create_directory(Path("tmp"));
    environment["TMP"] = Path("tmp/");
    OpenItems(40);
    ChangeView();
    // The next item's name through a join made after the calculated column,
    // so the joined column comes last on the screen.
    JoinDescription join;
    join.name = "Next";
    join.dictionaryName = "Items";
    join.location = "items.dat";
    join.index = 0;
    join.values = {Estring("Id + 1")};
    ASSERT_TRUE(viewer->joins->AddJoin(join, viewer->fields));
    viewer->fields.Find("Next.Name")->selected = true;
    viewer->fields.Find("Next.Name")->width = -9;
    viewer->fields.Find("Name")->width = -9;
    viewer->fields.Find("Remark")->selected = false;
    viewer->setFilter("Id != 3");  // the page is filled again with the new columns
    viewer->redrawGrid();
    const std::string changed = Shown();
    ASSERT_NE(std::string::npos, viewer->headerLine(1).View().find("Next"));
    const std::string first = viewer->row(0).text.ToStdString();  // Id 12, whose next is 13
    ASSERT_NE(std::string::npos, first.find("Item 12")) << first;
    ASSERT_NE(std::string::npos, first.find("Item 13")) << first;
    keys.PushKey(kKeyF2);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());

    // F3 in a fresh viewer (closing the old one wrote the last view file).
    MakeViewer();
    ASSERT_NE(changed, Shown());
    keys.PushKey(kKeyF3);
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(changed, Shown());
    EXPECT_EQ(1, viewer->joins->Count());

    // Shift-F3 in another fresh viewer brings back the view last left.
    MakeViewer();
    ASSERT_NE(changed, Shown());
    keys.PushKey(kKeyShiftF3);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(changed, Shown());
}

TEST_F(ViewDialogsTest, LastViewDirectoryRules) {
    OpenItems(3);
    // TEMP when TMP is empty.
    environment = {{"TMP", ""}, {"TEMP", Path("")}};
    viewer->setFilter("Id = 1");
    viewer.reset();
    EXPECT_EQ("[QDX v1.0 View File]\nDictionaryName=Items\nIndex=0\nFilter=Id = 1\n\n", ReadBytes(Path("items.qdx")));

    // Neither: a private state directory, made with mode 0700.
    environment = {{"XDG_STATE_HOME", Path("state")}};
    MakeViewer();
    viewer.reset();
    struct stat st {};
    ASSERT_EQ(0, stat(Path("state/quarrydex").c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    EXPECT_EQ(kDefaultView, ReadBytes(Path("state/quarrydex/items.qdx")));

    // Nowhere to go: nothing is written and Shift-F3 does nothing at all.
    environment.clear();
    MakeViewer();
    viewer->setFilter("Id = 2");
    keys.PushKey(kKeyShiftF3);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ("Id = 2", viewer->filterText.ToStdString());
    EXPECT_EQ("", lastViewFileOf(*viewer).ToStdString());
}

}  // namespace
