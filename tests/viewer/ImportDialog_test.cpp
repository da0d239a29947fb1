#include "viewer/ImportDialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ViewerFixture.h"
#include "fields/FieldCodec.h"
#include "ui/KeyCodes.h"
#include "viewer/FileEmptying.h"

namespace {

using viewertest::EngineRecords;
using viewertest::ReadBytes;
using viewertest::ScreenCells;
using viewertest::WriteBytes;

class ImportDialogTest : public viewertest::ViewerFixture {
protected:
    // Alt-I, the name typed (replacing the one offered), the keys given,
    // Import, then the answers for the boxes.
    void Import(const char* name, std::initializer_list<int> dialogKeys, std::initializer_list<int> answers = {}) {
        keys.PushKey(kKeyAltI);
        keys.PushText(name);
        for (int k : dialogKeys) keys.PushKey(k);
        keys.PushKey(kKeyEnter);
        for (int k : answers) keys.PushKey(k);
    }

    // Id and Name of every record, in key order ("5:Five").
    std::vector<std::string> IdsAndNames() {
        std::vector<std::string> out;
        const FieldAttributes& id = *definition->Find("Id");
        const FieldAttributes& name = *definition->Find("Name");
        for (const std::string& r : EngineRecords(file)) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(r.data());
            const int n = static_cast<int>(r.size());
            out.push_back(FieldToText(id, bytes, n, false).ToStdString() + ":" +
                          FieldToText(name, bytes, n, false).Trim().ToStdString());
        }
        return out;
    }

    int BoxesSeen(const std::string& text) {
        int n = 0;
        for (const std::string& s : keys.screens) n += s.find(text) != std::string::npos;
        return n;
    }
};

TEST_F(ImportDialogTest, DialogLayoutAndEscLeavesTheScreenAsItWas) {
    OpenItems(3);
    const std::string before = ScreenCells(screen);
    keys.PushKey(kKeyAltI);
    keys.PushKey(kKeyEsc);
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(SameScreen(before));
    ASSERT_TRUE(keys.Saw(" Import Records "));
    const std::string* shown = nullptr;
    for (const std::string& s : keys.screens)
        if (s.find("Import Records") != std::string::npos) shown = &s;
    // 50 x 9, centred, a third of the way down: the interior from (16, 6).
    const std::vector<std::pair<int, std::string>> rows = {
        {7, " File Name: items                       [ ... ] "},
        {9, " CSV"},
        {10, " SAV"},
        {12, "         [ Import ]  [ Cancel ]                 "},
    };
    for (const auto& [y, text] : rows) {
        std::string line = shown->substr(static_cast<size_t>(y) * 81 + 16, 48);
        if (text.size() == 4) line = line.substr(4, 4);
        EXPECT_EQ(text, line) << "row " << y << "\n" << *shown;
    }
}

TEST_F(ImportDialogTest, SavRoundTripPutsBackEveryRecordByteForByte) {
    OpenItems(30);
    const std::vector<std::string> original = EngineRecords(file);
    keys.PushKey(kKeyAltE);
    keys.PushKey(kKeyAltS);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    ASSERT_EQ(0, EmptyFileRecords(file, nullptr));
    keys.PushKey(kKeyCtrlR);
    ASSERT_TRUE(RunScript());
    ASSERT_EQ(0, viewer->rowCount());

    keys.pendingSnapshots = true;
    Import("items", {kKeyAltS});
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(original, EngineRecords(file));
    EXPECT_EQ(18, viewer->rowCount());  // the grid was refreshed
    // The progress window: its title, the count and the share read.
    const std::string& last = keys.pendingScreens.back();
    EXPECT_NE(std::string::npos, last.find(" Importing Records ")) << last;
    EXPECT_NE(std::string::npos, last.find("Records: 30")) << last;
    EXPECT_NE(std::string::npos, last.find("100.0%")) << last;
}

TEST_F(ImportDialogTest, ProgressWindowGaugeAndPercentageAtTheirPlaces) {
    OpenItems(0);
    // Nine bytes a line, heading included: after record k, (k + 1) / 200 of the file is read.
    std::string csv = "Id,Name\r\n";
    for (int id = 1; id <= 199; ++id) csv += Estring::Format("%03d,abc\r\n", id).ToStdString();
    ASSERT_EQ(1800u, csv.size());
    WriteBytes(Path("many.csv"), csv);
    keys.pendingSnapshots = true;
    Import("many.csv", {});
    ASSERT_TRUE(RunScript());
    keys.pendingSnapshots = false;
    ASSERT_EQ(199u, IdsAndNames().size());

    // 40 x 5, centred both ways: the frame from (20, 10), the inside from (21, 11), 38 wide.
    auto row = [](const std::string& s, int y) { return s.substr(static_cast<size_t>(y) * 81, 80); };
    const struct {
        int count;
        int filled;
        const char* percent;
    } kCases[] = {{49, 9, "25.0%"}, {99, 18, "50.0%"}, {149, 27, "75.0%"}, {199, 36, "100.0%"}};
    for (const auto& c : kCases) {
        const std::string count = " Records: " + std::to_string(c.count) + " ";
        const std::string* shown = nullptr;
        for (const std::string& s : keys.pendingScreens)
            if (row(s, 11).compare(21, count.size(), count) == 0) shown = &s;
        ASSERT_NE(nullptr, shown) << c.count;
        EXPECT_NE(std::string::npos, row(*shown, 10).find(" Importing Records ")) << row(*shown, 10);
        EXPECT_EQ(count + std::string(38 - count.size(), ' '), row(*shown, 11).substr(21, 38));
        // The gauge at (1, 1), 36 cells: full blocks for the share read, light shade for the rest.
        const std::string gauge = " " + std::string(static_cast<size_t>(c.filled), '\xDB') +
                                  std::string(static_cast<size_t>(36 - c.filled), '\xB0') + " ";
        EXPECT_EQ(gauge, row(*shown, 12).substr(21, 38)) << c.count;
        // The percentage centred on line 2 of the inside.
        const std::string percent(c.percent);
        const size_t before = (38 - percent.size()) / 2;
        EXPECT_EQ(std::string(before, ' ') + percent + std::string(38 - before - percent.size(), ' '),
                  row(*shown, 13).substr(21, 38))
            << c.count;
        for (int y = 11; y <= 13; ++y) {
            EXPECT_EQ('\xBA', row(*shown, y)[20]) << y;
            EXPECT_EQ('\xBA', row(*shown, y)[59]) << y;
        }
    }
}

TEST_F(ImportDialogTest, BrowseButtonChoosesTheFileAndItsExtensionTheFormat) {
    OpenItems(3);
    const std::vector<std::string> original = EngineRecords(file);
    std::string sav;
    for (const std::string& r : original) sav += std::to_string(r.size()) + "," + r + "\r\n";
    std::filesystem::create_directory(Path("dump"));
    std::filesystem::create_directory(Path("text"));
    WriteBytes(Path("dump/BACK.SAV"), sav);
    WriteBytes(Path("text/more.Csv"), "Id,Name\r\n5,Five\r\n");
    ASSERT_EQ(0, EmptyFileRecords(file, nullptr));

    // CSV is chosen in the dialog; the file taken from the file dialog ends in .SAV.
    Import("dump/back", {kKeyAltB, kKeyTab, kKeyEnter});  // Tab: from the directory tree to the file list
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Open File"));
    EXPECT_EQ(original, EngineRecords(file));

    // SAV is chosen; the file ends in .Csv.
    keys.screens.clear();
    Import("text/x", {kKeyAltS, kKeyAltB, kKeyTab, kKeyEnter});
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Open File"));
    EXPECT_EQ((std::vector<std::string>{"0:Item 0", "1:Item 1", "2:Item 2", "5:Five"}), IdsAndNames());
}

TEST_F(ImportDialogTest, CsvColumnsMapByNameUnknownOnesSkippedShortLinesLeaveZeros) {
    OpenItems(0);
    WriteBytes(Path("in.csv"), "name,Bogus,ID\r\nFive,zz,5\r\nSix\r\n\"Se,ven\",x,7\r\n");
    Import("in.csv", {});
    ASSERT_TRUE(RunScript());
    EXPECT_EQ((std::vector<std::string>{"0:Six", "5:Five", "7:Se,ven"}), IdsAndNames());
    for (const std::string& r : EngineRecords(file))
        EXPECT_EQ(std::string(r.size() - 34, '\0'), r.substr(34)) << "fields after Name are zero";
}

TEST_F(ImportDialogTest, SkipAllShowsOneBoxAndInsertsTheRest) {
    OpenItems(4);
    WriteBytes(Path("dup.csv"), "Id,Name\r\n1,a\r\n10,b\r\n2,c\r\n11,d\r\n");
    Import("dup.csv", {}, {'a'});
    ASSERT_TRUE(RunScript()) << "a second box took a key it was not given";
    EXPECT_EQ(1, BoxesSeen("Error inserting record"));
    EXPECT_EQ((std::vector<std::string>{"0:Item 0", "1:Item 1", "2:Item 2", "3:Item 3", "10:b", "11:d"}),
              IdsAndNames());
}

TEST_F(ImportDialogTest, CancelInTheBoxKeepsTheDialogAndWhatWentIn) {
    OpenItems(2);
    WriteBytes(Path("dup.csv"), "Id,Name\r\n10,b\r\n1,a\r\n11,d\r\n");
    // After each record the import takes one waiting event to look for Esc:
    // a time-out stands in for the one after "10,b", then Cancel for "1,a".
    keys.PushKey(kKeyAltI);
    keys.PushText("dup.csv");
    keys.PushKey(kKeyEnter);
    keys.PushTimeout();
    keys.PushKey(kKeyEsc);             // Cancel: the import dialog stays
    keys.PushKey(kKeyEsc);             // and is closed
    ASSERT_TRUE(RunScript());
    EXPECT_EQ((std::vector<std::string>{"0:Item 0", "1:Item 1", "10:b"}), IdsAndNames());
    EXPECT_EQ(3, viewer->rowCount());  // records went in: the grid shows them
}

TEST_F(ImportDialogTest, EscMidImportAsksCancelImport) {
    OpenItems(0);
    std::string csv = "Id,Name\r\n";
    for (int id = 1; id <= 30; ++id) csv += std::to_string(id) + ",n" + std::to_string(id) + "\r\n";
    WriteBytes(Path("many.csv"), csv);
    Import("many.csv", {}, {kKeyEsc, kKeyEnter});  // Esc read after the first record; OK stops
    ASSERT_TRUE(RunScript()) << "the dialog closed after the stop";
    EXPECT_TRUE(keys.Saw("Cancel Import?"));
    EXPECT_EQ((std::vector<std::string>{"1:n1"}), IdsAndNames());

    ASSERT_EQ(0, EmptyFileRecords(file, nullptr));
    Import("many.csv", {}, {kKeyEsc, kKeyEsc});  // Cancel to the question: on to the end
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(30u, IdsAndNames().size());
}

TEST_F(ImportDialogTest, FailuresAreShownWhereTheyHappened) {
    OpenItems(1);
    const std::string record = EngineRecords(file).front();
    std::string second = record;
    second[0] = 9;  // id 9
    const struct {
        const char* name;
        std::string bytes;
        const char* first;
        const char* secondLine;
        int closeKeys;  // Enter for the box, then Esc when the dialog stays
    } cases[] = {
        {"missing", "", "Unable to open", "missing.sav", 2},
        {"bad.sav", "119," + second + "\r\nx9,", "Malformed record dump at byte 125 (length is not a number)",
         "1 records inserted", 1},
        {"short.sav", "119,abc", "Malformed record dump at byte 0 (record cut short)", "0 records inserted", 1},
    };
    for (const auto& c : cases) {
        if (!c.bytes.empty()) WriteBytes(Path(c.name), c.bytes);
        keys.screens.clear();
        Import(c.name, {kKeyAltS});
        // The import looks for Esc after each record it inserted.
        if (c.secondLine[0] == '1') keys.PushTimeout();
        keys.PushKey(kKeyEnter);
        if (c.closeKeys == 2) keys.PushKey(kKeyEsc);
        ASSERT_TRUE(RunScript()) << c.name;
        const std::string* box = nullptr;
        for (const std::string& s : keys.screens)
            if (s.find(c.first) != std::string::npos) box = &s;
        ASSERT_NE(nullptr, box) << c.name;
        EXPECT_NE(std::string::npos, box->find(c.secondLine)) << *box;
    }
    EXPECT_EQ((std::vector<std::string>{"0:Item 0", "9:Item 0"}), IdsAndNames());
}

TEST(ImportPercentText, OneDecimalOfTheShareRead) {
    const struct {
        long long position, size;
        const char* text;
    } cases[] = {{0, 200, "0.0%"}, {75, 200, "37.5%"}, {1, 3, "33.3%"}, {200, 200, "100.0%"}, {0, 0, "100.0%"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, importPercentText(c.position, c.size).ToStdString()) << c.position << "/" << c.size;
}

}  // namespace
