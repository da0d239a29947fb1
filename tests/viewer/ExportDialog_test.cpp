#include "viewer/ExportDialog.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "CountingEngine.h"
#include "ViewerFixture.h"
#include "btrieve/StatusText.h"
#include "ui/KeyCodes.h"
#include "viewer/SortRestrict.h"

namespace {

using viewertest::ReadBytes;
using viewertest::ScreenCells;

// The interior of a dialog at (left, top) in a screen snapshot, w x h
// cells, one string per row; bytes outside printable ASCII become '#'.
std::vector<std::string> Interior(const std::string& snapshot, int left, int top, int w, int h) {
    std::vector<std::string> rows;
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = snapshot.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(snapshot.substr(start, nl - start));
    for (int y = top; y < top + h && y < static_cast<int>(lines.size()); ++y) {
        std::string row = lines[static_cast<size_t>(y)].substr(static_cast<size_t>(left), static_cast<size_t>(w));
        for (char& c : row)
            if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '#';
        rows.push_back(row);
    }
    return rows;
}

const std::string* ScreenWith(const std::vector<std::string>& screens, const std::string& text) {
    for (const std::string& s : screens)
        if (s.find(text) != std::string::npos) return &s;
    return nullptr;
}

class ExportDialogTest : public viewertest::ViewerFixture {
protected:
    // Alt-E, the keys given, then Export (Enter); the script must be used up.
    void Export(std::initializer_list<int> dialogKeys, std::initializer_list<int> afterKeys = {}) {
        keys.PushKey(kKeyAltE);
        for (int k : dialogKeys) keys.PushKey(k);
        keys.PushKey(kKeyEnter);
        for (int k : afterKeys) keys.PushKey(k);
        ASSERT_TRUE(RunScript());
    }
};

TEST_F(ExportDialogTest, DialogLayoutAndEscLeavesTheScreenAsItWas) {
    OpenItems(3);
    const std::string before = ScreenCells(screen);
    keys.PushKey(kKeyAltE);
    keys.PushKey(kKeyEsc);
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(SameScreen(before));
    const std::string* shown = ScreenWith(keys.screens, "Export Records");
    ASSERT_NE(nullptr, shown);
    // 50 x 10, centred, a third of the way down: the frame from (15, 5).
    const std::vector<std::string> expected = {
        "################ Export Records ################",
        "                                                ",
        " File Name: items                       [ ... ] ",
        "                                                ",
        " (#) CSV --> [X]  Selected fields only          ",
        " ( ) SAV     [X]  Field name heading            ",
        " ( ) TXT     [X]  Selected records only         ",
        "                                                ",
        "         [ Export ]  [ Cancel ]                 ",
    };
    std::vector<std::string> seen = Interior(*shown, 16, 5, 48, 9);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], seen[i]) << "row " << i;
}

TEST_F(ExportDialogTest, CsvOfTheViewByteForByte) {
    OpenItems(3);
    Export({});
    EXPECT_EQ(
        "Id,Name,Price,Remark,Extra\r\n"
        ",Item 0,0.00,,\r\n"
        "1,Item 1,0.00,,\r\n"
        "2,Item 2,0.00,,\r\n",
        ReadBytes(Path("items.csv")));
}

TEST_F(ExportDialogTest, HotLettersChooseFormatFieldsHeadingAndRecords) {
    OpenItems(4);
    viewer->fields.Find("Remark")->selected = false;
    viewer->fields.Find("Extra")->selected = false;
    viewer->setFilter("Id > 1");
    struct Case {
        std::vector<int> keys;
        const char* file;
        std::string bytes;
        bool enter = true;  // Enter (Export) after the keys
    } cases[] = {
        // The view's records and fields, heading on.
        {{}, "items.csv", "Id,Name,Price\r\n2,Item 2,0.00\r\n3,Item 3,0.00\r\n"},
        // Alt-F: every field; Alt-H: no heading; Alt-R: every record.
        {{kKeyAltF, kKeyAltH, kKeyAltR}, "items.csv", ",Item 0,0.00,,\r\n1,Item 1,0.00,,\r\n2,Item 2,0.00,,\r\n3,Item 3,0.00,,\r\n"},
        // Alt-T: fixed-width text with its heading and rule, display form.
        {{kKeyAltT}, "items.txt", ""},
        // Alt-C takes CSV back after Alt-S.
        {{kKeyAltS, kKeyAltC}, "items.csv", "Id,Name,Price\r\n2,Item 2,0.00\r\n3,Item 3,0.00\r\n"},
        // Alt-N: back in the name from the check boxes, a new name typed there.
        {{kKeyAltH, kKeyAltN, 'p', 'i', 'c', 'k'}, "pick.csv", "2,Item 2,0.00\r\n3,Item 3,0.00\r\n"},
        // Alt-E presses Export itself: no Enter follows.
        {{kKeyAltS, kKeyAltE}, "items.sav", "", false},
    };
    for (const Case& c : cases) {
        keys.PushKey(kKeyAltE);
        for (int k : c.keys) keys.PushKey(k);
        if (c.enter) keys.PushKey(kKeyEnter);
        ASSERT_TRUE(RunScript()) << c.file;
        if (std::string(c.file) == "items.sav") {
            // The two records in view, raw: ids 2 and 3.
            const std::vector<std::string> records = viewertest::EngineRecords(file);
            EXPECT_EQ("119," + records[2] + "\r\n119," + records[3] + "\r\n", ReadBytes(Path(c.file)));
            std::filesystem::remove(Path(c.file));
            continue;
        }
        const std::string written = ReadBytes(Path(c.file));
        if (!c.bytes.empty()) {
            EXPECT_EQ(c.bytes, written) << c.file;
        }
        std::filesystem::remove(Path(c.file));
        if (c.bytes.empty()) {
            // TXT: the heading of the shown columns, "=" under it, then the grid's own row texts.
            const std::string heading = viewer->headerLine(2).ToStdString();
            std::string expected = heading + "\r\n" + std::string(heading.size(), '=') + "\r\n";
            for (int i = 0; i < viewer->rowCount(); ++i) {
                std::string row = viewer->row(i).text.ToStdString();
                expected += row.substr(0, row.size() - 1) + "\r\n";  // the grid adds a blank after the last column
            }
            EXPECT_EQ(expected, written);
        }
    }
}

TEST_F(ExportDialogTest, SelectedRecordsAreTheGridsOwnInItsOrderRangeAndFilter) {
    OpenItems(20);
    viewer->setKeyNumber(1);
    bool active = false;
    Estring bad;
    ASSERT_TRUE(BuildRange(*definition, 1, {Estring("Item 15")}, {Estring("Item 3")}, viewer->rangeFrom,
                           viewer->rangeTo, active, bad));
    viewer->rangeActive = active ? 1 : 0;
    viewer->setFilter("Id != 17");
    ASSERT_EQ((std::vector<int>{15, 16, 18, 19, 2, 3}), PageIds());
    Export({kKeyAltH});
    std::vector<int> exported;
    const std::string csv = ReadBytes(Path("items.csv"));
    for (size_t at = 0; at < csv.size(); at = csv.find('\n', at) + 1) exported.push_back(std::atoi(csv.c_str() + at));
    EXPECT_EQ(PageIds(), exported);
}

TEST_F(ExportDialogTest, SavLinesAreRawRecordsWithTheirLength) {
    OpenItems(2);
    Export({kKeyAltS});
    std::string expected;
    for (const std::string& record : viewertest::EngineRecords(file))
        expected += std::to_string(record.size()) + "," + record + "\r\n";
    EXPECT_EQ(expected, ReadBytes(Path("items.sav")));
    EXPECT_EQ(2u * (4 + 119 + 2), expected.size());  // "119," + 119 bytes + CR LF per record
}

TEST_F(ExportDialogTest, CountShownEveryTenRecordsAndTheDialogGoesAfterwards) {
    OpenItems(25);
    const std::string before = ScreenCells(screen);
    keys.pendingSnapshots = true;
    Export({});
    keys.pendingSnapshots = false;
    EXPECT_TRUE(SameScreen(before));
    std::vector<std::string> counts;
    for (const std::string& s : keys.pendingScreens) {
        size_t at = s.find("Exported: ");
        if (at == std::string::npos) continue;
        std::string count = s.substr(at + 10, 8);
        if (counts.empty() || counts.back() != count) counts.push_back(count);
    }
    EXPECT_EQ((std::vector<std::string>{"       0", "      10", "      20"}), counts);
    // At (12, 2) of the dialog, whose interior starts at (16, 6).
    const std::string& last = keys.pendingScreens.back();
    EXPECT_EQ(8u * 81 + 28, last.find("Exported:       20"));
    const std::string csv = ReadBytes(Path("items.csv"));
    EXPECT_EQ(26, std::count(csv.begin(), csv.end(), '\n'));
}

TEST_F(ExportDialogTest, EscMidExportAsksAndKeepsWhatWasWritten) {
    OpenItems(25);
    // Esc waits after Export: it is read after the first record; OK stops there.
    Export({}, {kKeyEsc, kKeyEnter});
    EXPECT_TRUE(keys.Saw("Cancel export?"));
    EXPECT_EQ("Id,Name,Price,Remark,Extra\r\n,Item 0,0.00,,\r\n", ReadBytes(Path("items.csv")));

    // Cancel to the question: the export goes on to the end.
    Export({}, {kKeyEsc, kKeyEsc});
    const std::string all = ReadBytes(Path("items.csv"));
    EXPECT_EQ(26, std::count(all.begin(), all.end(), '\n'));
}

TEST_F(ExportDialogTest, AFileThatCannotBeCreatedIsReported) {
    OpenItems(3);
    keys.PushKey(kKeyAltE);
    keys.PushText("nosuchdir/out");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // closes the message
    ASSERT_TRUE(RunScript());
    const std::string* box = ScreenWith(keys.screens, "Error creating export file");
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, box->find("nosuchdir/out.csv: No such file or directory")) << *box;
}

TEST_F(ExportDialogTest, AFailedReadOrWriteIsReportedAndTheLinesWrittenAreKept) {
    constexpr int kOpGetNext = 6;
    constexpr int kIoError = 2;
    OpenItems(12);
    {
        viewertest::CountingEngine engine;
        ASSERT_TRUE(engine.Ready());
        // Get First and four Get Next give five records; the fifth Get Next fails.
        engine.FailAfter(kOpGetNext, 4, kIoError);
        keys.PushKey(kKeyAltE);
        keys.PushKey(kKeyEnter);  // Export
        // The export looks for Esc after each record: a time-out for each of the five.
        for (int i = 0; i < 5; ++i) keys.PushTimeout();
        keys.PushKey(kKeyEnter);  // closes the message
        ASSERT_TRUE(RunScript());
    }
    const std::string* box = ScreenWith(keys.screens, "Error occurred reading records");
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, box->find(statusText(kIoError).ToStdString())) << *box;
    EXPECT_EQ(
        "Id,Name,Price,Remark,Extra\r\n"
        ",Item 0,0.00,,\r\n1,Item 1,0.00,,\r\n2,Item 2,0.00,,\r\n3,Item 3,0.00,,\r\n4,Item 4,0.00,,\r\n",
        ReadBytes(Path("items.csv")));
    EXPECT_EQ(12, viewer->rowCount());  // the grid reads on as before

    // A write that fails (a full device) is reported with the path and the
    // system's reason, not taken for a finished export.
    ASSERT_EQ(0, symlink("/dev/full", Path("full.csv").c_str()));
    keys.screens.clear();
    keys.PushKey(kKeyAltE);
    keys.PushText("full");
    keys.PushKey(kKeyEnter);
    for (int i = 0; i < 12; ++i) keys.PushTimeout();
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    box = ScreenWith(keys.screens, "Error writing export file");
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, box->find("full.csv: No space left on device")) << *box;
}

TEST_F(ExportDialogTest, BrowseButtonTakesTheNameFromTheFileDialog) {
    OpenItems(3);
    std::filesystem::create_directory(Path("out"));
    keys.PushKey(kKeyAltE);
    keys.PushText("out/list.txt");
    keys.PushKey(kKeyAltB);   // the file dialog opens in out/ with list.txt typed
    keys.PushKey(kKeyEnter);  // keeps the name
    keys.PushKey(kKeyEnter);  // Export
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Save As"));
    const std::string txt = ReadBytes(Path("out/list.txt"));
    EXPECT_EQ(0u, txt.find("Id,Name"));  // a name with an extension keeps it: CSV in list.txt
}

TEST(ExportStartName, PathUpToItsLastDot) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {{"items.dat", "items"}, {"/data/orders.v2.dat", "/data/orders.v2"}, {"noext", ""}, {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(c.name, exportStartName(c.path).ToStdString()) << c.path;
}

}  // namespace
