#include "viewer/FileViewer.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "GridTestSupport.h"
#include "fields/FieldCodec.h"
#include "ui/KeyCodes.h"
#include "viewer/FileEmptying.h"
#include "viewer/HelpViewer.h"

namespace {

using viewertest::GridDatabase;
using viewertest::ItemRecord;
using viewertest::SnapshotInput;

class FileViewerTest : public ::testing::Test {
protected:
    FileViewerTest() : screen(80, 25), keys(screen) {}

    void OpenItems(int count) {
        ASSERT_EQ(0, file.open("items.dat"));
        for (int id = 0; id < count; ++id) {
            std::vector<uint8_t> record = ItemRecord(id, file.dataLength());
            file.setDataLength(static_cast<uint16_t>(record.size()));
            ASSERT_EQ(0, file.insertRecord(record.data()));
        }
        MakeViewer("Items", "items.dat");
    }

    void MakeViewer(const char* table, const char* path) {
        tableRecord = GridDatabase::TableRecord(table);
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring(path), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
    }

    std::vector<int> PageIds() {
        std::vector<int> ids;
        for (int i = 0; i < viewer->rowCount(); ++i) ids.push_back(static_cast<int>(viewer->row(i).text.ToInt()));
        return ids;
    }

    int Press(int key) {
        keys.PushKey(key);
        return viewer->run(nullptr);
    }

    // Deletes the record with this id through a second handle, as another user would.
    void DeleteElsewhere(int id) {
        BtrieveFile other;
        ASSERT_EQ(0, other.open("items.dat"));
        uint8_t key[256] = {};
        std::vector<uint8_t> record(32768);
        le::PutU32(key, static_cast<uint32_t>(id));
        other.setDataLength(32768);
        ASSERT_EQ(0, other.getEqual(key, record.data(), 0));
        ASSERT_EQ(0, other.deleteRecord(0));
    }

    GridDatabase database;
    MemoryDisplay screen;
    SnapshotInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

TEST_F(FileViewerTest, ScreenShowsTitleHeaderRecordsAndBottomLine) {
    OpenItems(30);
    EXPECT_EQ(27, viewer->run(nullptr));
    EXPECT_NE(std::string::npos, screen.RowText(2).find(" Items ")) << screen.RowText(2);
    EXPECT_EQ(std::string(78, ' '), screen.RowText(3).substr(1, 78));  // no joins: header 1 is blank
    const std::string names = screen.RowText(4);
    EXPECT_NE(std::string::npos, names.find("Id")) << names;
    EXPECT_NE(std::string::npos, names.find("Name")) << names;
    EXPECT_EQ(viewer->headerLine(2).Left(78).ToStdString(), names.substr(1, 78));
    EXPECT_EQ(static_cast<size_t>(viewer->headerWidth), viewer->headerLine(2).ToStdString().size());
    EXPECT_EQ(viewer->headerLine(2).Length() + 1, viewer->row(0).text.Length());  // each column under its name
    EXPECT_NE(std::string::npos, screen.RowText(6).find("Item 0")) << screen.RowText(6);
    EXPECT_EQ(std::string(FileViewer::kBottomLine), screen.RowText(24).substr(0, std::strlen(FileViewer::kBottomLine)));
    EXPECT_EQ(0x2E, screen.At(0, 24).attr);
    EXPECT_EQ(18, viewer->pageRowCount());  // 23 lines less the frame and the header
    EXPECT_EQ(18, viewer->rowCount());
}

TEST_F(FileViewerTest, HorizontalScrollingAndItsClamps) {
    OpenItems(5);
    viewer->run(nullptr);
    const int widest = viewer->headerWidth - viewer->width;
    ASSERT_GT(widest, 45);
    const struct {
        int key;
        int offset;
    } steps[] = {{kKeyLeft, 0},      {kKeyRight, 2},    {kKeyRight, 4},      {kKeyLeft, 2},      {kKeyLeft, 0},
                 {kKeyCtrlRight, 40}, {kKeyCtrlLeft, 0}, {kKeyCtrlEnd, widest}, {kKeyRight, widest},
                 {kKeyCtrlRight, widest}, {kKeyLeft, widest - 2}, {kKeyCtrlHome, 0}, {kKeyCtrlLeft, 0}};
    for (const auto& s : steps) {
        Press(s.key);
        ASSERT_EQ(s.offset, viewer->hOffset) << "key " << s.key;
        EXPECT_EQ(viewer->headerLine(2).Mid(s.offset).PadOrCut(78).ToStdString(), screen.RowText(4).substr(1, 78))
            << "key " << s.key;
        EXPECT_EQ(viewer->row(1).text.Mid(s.offset).PadOrCut(78).ToStdString(), screen.RowText(7).substr(1, 78))
            << "key " << s.key;
    }
    // Nothing is drawn when the offset stays: a mark on a record line survives.
    Cell mark{'#', 0x07};
    screen.WriteCells(5, 8, 1, 1, &mark);
    Press(kKeyLeft);
    EXPECT_EQ('#', screen.At(5, 8).ch);
}

TEST_F(FileViewerTest, GridNarrowerThanTheWindowNeverScrolls) {
    ASSERT_EQ(0, file.open("narrow.dat"));
    MakeViewer("Narrow", "narrow.dat");
    for (int key : {kKeyCtrlEnd, kKeyRight, kKeyCtrlRight}) {
        Press(key);
        EXPECT_EQ(0, viewer->hOffset) << key;
    }
}

TEST_F(FileViewerTest, DeleteAsksAndDeletesOnOkAndRefreshesEitherWay) {
    OpenItems(30);
    viewer->run(nullptr);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyF8);
    keys.PushKey(kKeyEnter);  // OK
    viewer->run(nullptr);
    EXPECT_TRUE(keys.Saw("Are you sure you want to delete this record?"));
    std::vector<int> expected;
    for (int id = 0; id < 19; ++id)
        if (id != 1) expected.push_back(id);
    EXPECT_EQ(expected, PageIds());

    // Cancel keeps the record; the page is refreshed all the same (a record
    // another user deleted meanwhile leaves it).
    DeleteElsewhere(5);
    keys.PushKey(kKeyDelete);
    keys.PushKey(kKeyEsc);  // Cancel
    viewer->run(nullptr);
    expected.erase(std::find(expected.begin(), expected.end(), 5));
    expected.push_back(19);
    EXPECT_EQ(expected, PageIds());
    EXPECT_EQ(2, viewer->row(viewer->cursorRow()).text.ToInt());
}

TEST_F(FileViewerTest, DeletingTheTopRowRestartsAtTheFirstRecord) {
    OpenItems(60);
    Press(kKeyPageDown);
    ASSERT_EQ(18, PageIds().front());
    keys.PushKey(kKeyF8);
    keys.PushKey(kKeyEnter);
    viewer->run(nullptr);
    EXPECT_EQ(0, PageIds().front());
}

TEST_F(FileViewerTest, EnterOnARecordGoneShowsErrorGettingRecord) {
    OpenItems(10);
    int edits = 0;
    viewer->recordEditor = [&](FileViewer&) {
        ++edits;
        return false;
    };
    Press(kKeyDown);
    Press(kKeyEnter);
    EXPECT_EQ(1, edits);
    DeleteElsewhere(1);
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // closes the message
    viewer->run(nullptr);
    EXPECT_TRUE(keys.Saw("Error getting record"));
    EXPECT_EQ(1, edits);
}

TEST_F(FileViewerTest, CtrlRRefreshesFromTheFile) {
    OpenItems(10);
    viewer->run(nullptr);
    DeleteElsewhere(3);
    EXPECT_EQ(10u, PageIds().size());
    Press(kKeyCtrlR);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 4, 5, 6, 7, 8, 9}), PageIds());
}

TEST_F(FileViewerTest, EscAndAltXEndRunOtherKeysDoNot) {
    OpenItems(3);
    EXPECT_EQ(kKeyAltX, Press(kKeyAltX));
    keys.PushKey('q');
    keys.PushKey(kKeyF10);
    keys.PushKey(kKeyEsc);
    EXPECT_EQ(kKeyEsc, viewer->run(nullptr));
    EXPECT_EQ(0, keys.Remaining());
}

TEST_F(FileViewerTest, FilterAndRangeDecideWhatIsInView) {
    OpenItems(40);
    viewer->setFilter("Id % 3 = 0 & Id > 4");
    EXPECT_EQ((std::vector<int>{6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39}), PageIds());
    viewer->setFilter("Name");  // not logical: nothing passes
    EXPECT_EQ(0, viewer->rowCount());
    viewer->setFilter("");
    EXPECT_EQ(18, viewer->rowCount());

    FieldAttributes& segment = *definition->index(0).Get(0);
    segment.hasFrom = segment.hasTo = true;
    ASSERT_TRUE(FieldFromText(segment, viewer->rangeFrom, 255, "10"));
    ASSERT_TRUE(FieldFromText(segment, viewer->rangeTo, 255, "14"));
    viewer->rangeActive = 1;
    viewer->restartAtFirst();
    EXPECT_EQ((std::vector<int>{10, 11, 12, 13, 14}), PageIds());
    segment.hasTo = false;  // no upper bound
    SetFieldHighest(segment, viewer->rangeTo, 255);
    viewer->restartAtFirst();
    EXPECT_EQ(10, PageIds().front());
    EXPECT_EQ(18u, PageIds().size());
}

TEST_F(FileViewerTest, HelpShowsTheViewerPageUntilEsc) {
    OpenItems(3);
    keys.PushKey(kKeyF1);
    keys.PushKey(kKeyEnd);
    keys.PushKey(kKeyEsc);  // closes the help
    keys.PushKey(kKeyEsc);  // ends run
    EXPECT_EQ(27, viewer->run(nullptr));
    EXPECT_TRUE(keys.Saw(" Quarrydex Help "));
    EXPECT_TRUE(keys.Saw("Navigation keys"));
    EXPECT_TRUE(keys.Saw("Alt-X : Exit QDX immediately"));  // after End
    EXPECT_EQ(std::string::npos, viewertest::ScreenText(screen).find("Quarrydex Help"));
}

TEST(HelpViewer, PagesAndScrollRules) {
    std::vector<Estring> page0 = HelpPageLines(HelpPage::kViewer);
    ASSERT_EQ(41u, page0.size());
    EXPECT_EQ("\x08Navigation keys", page0.front().ToStdString());
    EXPECT_EQ("Alt-X : Exit QDX immediately", page0.back().ToStdString());
    EXPECT_EQ(99u, HelpPageLines(HelpPage::kExpressions).size());
    const struct {
        int key, top, rows, count, expect;
    } cases[] = {
        {kKeyUp, 0, 17, 41, 0},       {kKeyUp, 5, 17, 41, 4},        {kKeyPageUp, 5, 17, 41, 0},
        {kKeyPageUp, 30, 17, 41, 13}, {kKeyHome, 9, 17, 41, 0},      {kKeyDown, 24, 17, 41, 25},
        {kKeyDown, 25, 17, 41, 25},   {kKeyPageDown, 0, 17, 41, 17}, {kKeyPageDown, 17, 17, 41, 34},
        {kKeyPageDown, 34, 17, 41, 34}, {kKeyEnd, 0, 17, 41, 24},    {kKeyEnd, 30, 17, 41, 30},
        {kKeyEnd, 0, 17, 10, 0},      {'x', 7, 17, 41, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expect, HelpTopAfterKey(c.key, c.top, c.rows, c.count))
            << "key " << c.key << " top " << c.top << " count " << c.count;
}

std::string FilesText(const std::string& dir, const std::string& prefix) {
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().filename().string().rfind(prefix, 0) != 0) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        all += s.str();
    }
    return all;
}

TEST_F(FileViewerTest, EmptyingKeepsOwnerEncryptionAndAddedIndexes) {
    ASSERT_EQ(51, file.open("secret.dat"));
    ASSERT_EQ(0, file.open("secret.dat+hush"));
    // An index the dictionary does not know about (keys are not encrypted:
    // it covers only the first 4 bytes of the name).
    uint8_t spec[16] = {};
    le::PutU16(spec, 5);
    le::PutU16(spec + 2, 4);
    le::PutU16(spec + 4, 0x0100 | 0x0001);
    spec[10] = 0;  // string
    ASSERT_EQ(0, file.createSupplementalIndex(spec, 1));
    for (int id = 0; id < 300; ++id) {
        uint8_t record[24] = {};
        le::PutU32(record, static_cast<uint32_t>(id));
        std::memcpy(record + 4, "Name SECRETMARK", 15);
        file.setDataLength(24);
        ASSERT_EQ(0, file.insertRecord(record));
    }
    std::vector<uint8_t> before(BtrieveFile::kStatBufferSize);
    ASSERT_EQ(0, file.stat(before.data()));
    MakeViewer("Secret", "secret.dat");
    viewer->run(nullptr);
    ASSERT_EQ(18, viewer->rowCount());

    keys.PushKey(kKeyAltY);
    keys.PushKey(kKeyEsc);  // Cancel: nothing happens
    viewer->run(nullptr);
    EXPECT_TRUE(keys.Saw("Are you sure you want to remove ALL records from this file?"));
    EXPECT_EQ(18, viewer->rowCount());

    keys.PushKey(kKeyAltY);
    keys.PushKey(kKeyEnter);
    viewer->run(nullptr);
    EXPECT_EQ(0, viewer->rowCount());
    std::vector<uint8_t> after(BtrieveFile::kStatBufferSize);
    ASSERT_EQ(0, file.stat(after.data()));
    EXPECT_EQ(0u, le::GetU32(&after[6]));                      // no records
    EXPECT_EQ(le::GetU16(&before[2]), le::GetU16(&after[2]));  // page size
    EXPECT_EQ(2, after[4]);                                    // both indexes
    EXPECT_EQ(le::GetU16(&before[10]), le::GetU16(&after[10]));

    viewer.reset();
    uint8_t record[24] = {};
    std::memcpy(record + 4, "New  FRESHMARK", 14);
    file.setDataLength(24);
    ASSERT_EQ(0, file.insertRecord(record));
    ASSERT_EQ(0, file.close());
    BtrieveFile again;
    EXPECT_EQ(51, again.open("secret.dat"));  // still protected
    EXPECT_EQ(0, again.open("secret.dat+hush"));
    const std::string raw = FilesText(database.dir.Path(), "secret.dat");
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(std::string::npos, raw.find("FRESHMARK")) << "records are no longer encrypted";
}

TEST_F(FileViewerTest, EmptyingStopsUnchangedWhenAsked) {
    ASSERT_EQ(0, file.open("items.dat"));
    for (int id = 0; id < 600; ++id) {
        std::vector<uint8_t> record = ItemRecord(id, file.dataLength());
        file.setDataLength(static_cast<uint16_t>(record.size()));
        ASSERT_EQ(0, file.insertRecord(record.data()));
    }
    int calls = 0;
    EXPECT_EQ(kEmptyingCancelled, EmptyFileRecords(file, [&](long long done, long long total) {
                  EXPECT_EQ(600, total);
                  return ++calls < 2;
              }));
    EXPECT_EQ(600u, viewertest::EngineOrder(file, 0).size());
    EXPECT_EQ(0, EmptyFileRecords(file, nullptr));
    EXPECT_EQ(0u, viewertest::EngineOrder(file, 0).size());
}

}  // namespace

namespace {

TEST_F(FileViewerTest, ResizeMakesTheGridAgainWithTheSameView) {
    OpenItems(60);
    Press(kKeyPageDown);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyRight);
    keys.PushResize(100, 30);
    EXPECT_EQ(RecordListWindow::kRunResized, viewer->run(nullptr));
    FileViewer::ViewState state = viewer->viewState();
    viewer.reset();
    ASSERT_EQ(100, screen.Width());
    viewer = std::make_unique<FileViewer>(&file, *definition, 2, 28);
    viewer->restoreViewState(state);
    std::vector<int> expected;
    for (int id = 18; id < 18 + 23; ++id) expected.push_back(id);
    EXPECT_EQ(expected, PageIds());
    EXPECT_EQ(2, viewer->cursorRow());
    EXPECT_EQ(2, viewer->hOffset);
    EXPECT_EQ(viewer->headerLine(2).Mid(2).PadOrCut(98).ToStdString(), screen.RowText(4).substr(1, 98));
    EXPECT_EQ(viewer->row(0).text.Mid(2).PadOrCut(98).ToStdString(), screen.RowText(6).substr(1, 98));
    EXPECT_EQ(27, viewer->run(nullptr));  // the new size holds: no further resize
}

}  // namespace
