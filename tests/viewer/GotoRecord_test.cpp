#include "viewer/GotoRecord.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "GridTestSupport.h"
#include "btrieve/EngineTransaction.h"
#include "fields/FieldCodec.h"
#include "ui/KeyCodes.h"
#include "viewer/ExpressionTest.h"
#include "viewer/FileViewer.h"
#include "viewer/SortRestrict.h"

namespace {

using viewertest::SnapshotInput;

// Ids are even, so that an odd key falls between two records.
constexpr const char* kPartsSchema = R"(
table Parts location parts.dat
  field Id Integer 4
  field Grp Integer 2
  field Price Decimal 6 2
  field Name String 12
  index 0 : Id
  index 1 : Id descending
  index 2 : Grp, Id descending
table Dates location dates.dat
  field When Date 4
  field Rate Float 8
  field At Time 4
  index 0 : When
  index 1 : Rate
  index 2 : At
)";

constexpr int kCount = 40;
int IdOf(int i) { return 2 * i; }
int GrpOf(int id) { return (id * 7) % 5; }

class PartsDatabase : public viewertest::GridDatabase {
public:
    PartsDatabase() : GridDatabase(kPartsSchema) {}
};

class GotoTest : public ::testing::Test {
protected:
    GotoTest() : screen(80, 25), keys(screen) {}
    ~GotoTest() override {
        viewer.reset();
        definition.reset();
        file.close();
    }

    void Open() {
        {
            BtrieveFile writer;
            ASSERT_EQ(0, writer.open("parts.dat"));
            MakeDefinition(writer);
            const int length = writer.dataLength();
            EngineTransaction transaction;
            ASSERT_EQ(0, transaction.Begin());
            for (int n = 0; n < kCount; ++n) {
                const int id = IdOf((n * 17) % kCount);  // scrambled order
                std::vector<uint8_t> record(static_cast<size_t>(length), 0);
                Set("Id", record, std::to_string(id));
                Set("Grp", record, std::to_string(GrpOf(id)));
                Set("Price", record, std::to_string(id) + ".25");
                Set("Name", record, "N" + std::to_string(id));
                writer.setDataLength(static_cast<uint16_t>(length));
                ASSERT_EQ(0, writer.insertRecord(record.data()));
            }
            ASSERT_EQ(0, transaction.Commit());
        }
        ASSERT_EQ(0, file.open("parts.dat"));
        MakeDefinition(file);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->run(nullptr);
    }

    void Set(const char* name, std::vector<uint8_t>& record, const std::string& text) {
        const FieldAttributes* field = definition->Find(name);
        ASSERT_NE(nullptr, field) << name;
        ASSERT_TRUE(FieldFromText(*field, record.data(), static_cast<int>(record.size()), text)) << name;
    }

    void MakeDefinition(BtrieveFile& handle) {
        tableRecord = viewertest::GridDatabase::TableRecord("Parts");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("parts.dat"), &handle);
        ASSERT_TRUE(definition->valid);
    }

    void Range(int key, const std::vector<Estring>& from, const std::vector<Estring>& to) {
        viewer->setKeyNumber(key);
        bool active = false;
        Estring bad;
        ASSERT_TRUE(BuildRange(*definition, key, from, to, viewer->rangeFrom, viewer->rangeTo, active, bad));
        viewer->rangeActive = active ? 1 : 0;
        viewer->restartAtFirst();
    }

    int BufferId() const { return static_cast<int>(le::GetU32(viewer->recordBuffer.get())); }

    // The id on the grid's cursor row, read again from its position.
    int CursorId() {
        uint8_t record[64] = {}, key[256] = {};
        BtrieveFile reader;
        if (reader.open("parts.dat") != 0) return -100;
        reader.setDataLength(sizeof record);
        if (reader.getDirect(viewer->row(viewer->cursorRow()).position, record, key, 0) != 0) return -200;
        return static_cast<int>(le::GetU32(record));
    }

    std::vector<Cell> Cells() const {
        std::vector<Cell> cells;
        for (int y = 0; y < screen.Height(); ++y)
            for (int x = 0; x < screen.Width(); ++x) cells.push_back(screen.At(x, y));
        return cells;
    }

    PartsDatabase database;
    MemoryDisplay screen;
    SnapshotInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

// The order of each index as a sort tuple: (Id), (-Id), (Grp, -Id).
std::tuple<int, int> OrderOf(int key, int grp, int id) {
    switch (key) {
        case 0: return {id, 0};
        case 1: return {-id, 0};
        default: return {grp, -id};
    }
}

// The id the search should find (or -1 for none) over the records in view.
int Expected(int key, int mode, int grp, int id, bool (*inView)(int)) {
    const auto probe = OrderOf(key, grp, id);
    std::vector<std::pair<std::tuple<int, int>, int>> order;
    for (int n = 0; n < kCount; ++n)
        if (inView(IdOf(n))) order.push_back({OrderOf(key, GrpOf(IdOf(n)), IdOf(n)), IdOf(n)});
    std::sort(order.begin(), order.end());
    const bool forward = mode == kGotoGreater || mode == kGotoGreaterOrEqual || mode == kGotoEqual;
    if (forward) {
        for (const auto& [k, found] : order) {
            if (mode == kGotoEqual ? k == probe : mode == kGotoGreater ? k > probe : k >= probe) return found;
            if (mode == kGotoEqual && k > probe) return -1;
        }
        return -1;
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (mode == kGotoLess ? it->first < probe : it->first <= probe) return it->second;
    return -1;
}

bool All(int) { return true; }
bool NotGrp3(int id) { return GrpOf(id) != 3; }

TEST_F(GotoTest, EachModeFindsTheRecordTheOrderSays) {
    Open();
    const struct {
        const char* filter;
        bool (*inView)(int);
    } views[] = {{"", All}, {"Grp != 3", NotGrp3}};
    const int modes[] = {kGotoGreaterOrEqual, kGotoLessOrEqual, kGotoEqual, kGotoGreater, kGotoLess};
    // Present ids, ids between records, and both ends; grp values within and past the groups.
    const int ids[] = {-1, 0, 1, 2, 14, 15, 38, 39, 78, 79, 100};
    const int grps[] = {-1, 0, 2, 3, 4, 5};
    int checked = 0;
    for (const auto& view : views) {
        viewer->setFilter(view.filter);
        for (int key = 0; key < 3; ++key) {
            viewer->setKeyNumber(key);
            const FieldList& segments = definition->index(key);
            for (int grp : grps) {
                if (key != 2 && grp != grps[0]) continue;  // grp matters only to the segmented index
                for (int id : ids) {
                    std::vector<Estring> entries;
                    if (key == 2) entries.push_back(Estring(std::to_string(grp).c_str()));
                    entries.push_back(Estring(std::to_string(id).c_str()));
                    uint8_t image[RecordListWindow::kRangeSize];
                    Estring bad;
                    ASSERT_TRUE(BuildGotoKey(segments, entries, image, bad)) << bad.Text();
                    for (int mode : modes) {
                        SCOPED_TRACE(std::string(view.filter) + " key " + std::to_string(key) + " grp " +
                                     std::to_string(grp) + " id " + std::to_string(id) + " mode " +
                                     std::to_string(mode));
                        const int expected = Expected(key, mode, grp, id, view.inView);
                        const int status = FindGotoRecord(*viewer, mode, image);
                        if (expected >= 0) {
                            ASSERT_EQ(0, status);
                            EXPECT_EQ(expected, BufferId());
                        } else if (mode == kGotoEqual && Expected(key, mode, grp, id, All) >= 0) {
                            EXPECT_EQ(kGotoOutsideView, status);
                        } else {
                            EXPECT_NE(0, status);
                            EXPECT_NE(kGotoOutsideView, status);
                        }
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_EQ(2 * 5 * (11 + 11 + 6 * 11), checked);
}

bool NotGrp0(int id) { return GrpOf(id) != 0; }

// Empty entries stand for the start of each segment's order: Greater/Equal
// finds the first record in view, whichever way the segments run.
TEST_F(GotoTest, EmptyEntriesWithGreaterOrEqualFindTheFirstRecordInView) {
    Open();
    viewer->setFilter("Grp != 0");
    for (int key = 0; key < 3; ++key) {
        SCOPED_TRACE(key);
        viewer->setKeyNumber(key);
        // The test's own first record in view: the smallest sort tuple.
        int expected = -1;
        for (int n = 0; n < kCount; ++n) {
            const int id = IdOf(n);
            if (NotGrp0(id) && (expected < 0 || OrderOf(key, GrpOf(id), id) < OrderOf(key, GrpOf(expected), expected)))
                expected = id;
        }
        uint8_t image[RecordListWindow::kRangeSize];
        Estring bad;
        ASSERT_TRUE(BuildGotoKey(definition->index(key), {Estring(), Estring("  ")}, image, bad));
        ASSERT_EQ(0, FindGotoRecord(*viewer, kGotoGreaterOrEqual, image));
        EXPECT_EQ(expected, BufferId());
        EXPECT_EQ(0, viewer->firstInView());
        EXPECT_EQ(expected, BufferId());
    }
}

TEST_F(GotoTest, EntriesThatAreNotValuesAreRefused) {
    Open();
    viewer->setKeyNumber(2);
    const struct {
        std::vector<Estring> entries;
        const char* bad;  // "" when accepted
    } cases[] = {
        {{"3", "12"}, ""},     {{"+3", "-12"}, ""},   {{"3x", "12"}, "Grp"}, {{"3", "1 2"}, "Id"},
        {{"-", "12"}, "Grp"},  {{"3", "0x10"}, "Id"}, {{"3", "12.5"}, "Id"}, {{" 3 ", " 12 "}, ""},
        {{"70000", "1"}, "Grp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries[0].ToStdString() + "|" + c.entries[1].ToStdString());
        uint8_t image[RecordListWindow::kRangeSize];
        Estring bad;
        EXPECT_EQ(std::string(c.bad).empty(), BuildGotoKey(definition->index(2), c.entries, image, bad));
        EXPECT_EQ(c.bad, bad.ToStdString());
    }
}

// The readers behind the key take "abc" as 0 and any three numbers as a date; a key typed with a
// slip would silently go to another record. Dates, reals and times are checked as typed values.
TEST_F(GotoTest, KeysThatAreNotValuesOfDateRealOrTimeSegmentsAreRefused) {
    BtrieveFile dates;
    ASSERT_EQ(0, dates.open("dates.dat"));
    std::vector<uint8_t> record = viewertest::GridDatabase::TableRecord("Dates");
    DictionaryDef table(record.data(), Estring("dates.dat"), &dates);
    ASSERT_TRUE(table.valid);
    const struct {
        int key;
        const char* entry;
        bool accepted;
    } cases[] = {
        {0, "02/29/2024", true}, {0, "31/02/2024", false}, {0, "02/30/2023", false}, {0, "abc", false},
        {0, "1.2.x", false},     {1, "-2.5e1", true},      {1, "+16", true},         {1, "abc", false},
        {1, "1.2.x", false},     {1, "31/02/2024", false}, {2, "23:59:59", true},    {2, "25:00", false},
        {2, "abc", false},       {2, "1.2.x", false},
    };
    const char* const names[] = {"When", "Rate", "At"};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(names[c.key]) + " " + c.entry);
        uint8_t image[RecordListWindow::kRangeSize] = {};
        Estring bad;
        EXPECT_EQ(c.accepted, BuildGotoKey(table.index(c.key), {Estring(c.entry)}, image, bad));
        EXPECT_EQ(c.accepted ? "" : names[c.key], bad.ToStdString());
        if (!c.accepted) continue;
        // What was stored is the value typed.
        const FieldAttributes& segment = *table.index(c.key).Get(0);
        uint8_t typed[RecordListWindow::kRangeSize] = {};
        const std::string plain = c.entry[0] == '+' ? c.entry + 1 : c.entry;
        ASSERT_TRUE(FieldFromText(segment, typed, RecordListWindow::kRangeSize, plain));
        EXPECT_EQ(0, CompareField(segment, image, RecordListWindow::kRangeSize, typed, RecordListWindow::kRangeSize));
    }
}

// --- the dialog ----------------------------------------------------------------------------

TEST_F(GotoTest, DialogModesMoveTheGridToTheFoundRecord) {
    Open();
    const struct {
        int key;
        std::vector<const char*> entries;
        int mode;
        int expected;
    } cases[] = {
        {0, {"15"}, kGotoGreaterOrEqual, 16}, {0, {"15"}, kGotoLessOrEqual, 14}, {0, {"16"}, kGotoEqual, 16},
        {0, {"16"}, kGotoGreater, 18},        {0, {"16"}, kGotoLess, 14},        {1, {"16"}, kGotoGreater, 14},
        {1, {"15"}, kGotoLessOrEqual, 16},    {2, {"3", "40"}, kGotoGreater, Expected(2, kGotoGreater, 3, 40, All)},
        {2, {"3", "40"}, kGotoLess, Expected(2, kGotoLess, 3, 40, All)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " " + c.entries[0] + " mode " + std::to_string(c.mode));
        viewer->setKeyNumber(c.key);
        for (const char* entry : c.entries) {
            keys.PushText(entry);
            keys.PushKey(kKeyTab);
        }
        for (int m = 0; m < c.mode; ++m) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);
        EXPECT_TRUE(gotoRecord(*viewer));
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_EQ(0, viewer->cursorRow());
        EXPECT_EQ(c.expected, CursorId());
    }
    EXPECT_TRUE(keys.Saw("Goto Record"));
    EXPECT_TRUE(keys.Saw("Get Greater/Equal"));
}

TEST_F(GotoTest, DialogClearEmptiesTheEntriesSoTheSearchStartsAtTheFirstRecord) {
    Open();
    viewer->setKeyNumber(1);  // Id descending: the first record is the highest id
    keys.PushText("30");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(gotoRecord(*viewer));
    ASSERT_EQ(30, CursorId());
    keys.PushText("30");
    keys.PushKey(kKeyAltC);
    keys.PushKey(kKeyEnter);
    EXPECT_TRUE(gotoRecord(*viewer));
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_EQ(IdOf(kCount - 1), CursorId());
}

TEST_F(GotoTest, DialogRefusalsKeepItOpenAndEscGivesTheScreenBack) {
    Open();
    viewer->setKeyNumber(0);
    Range(0, {"20"}, {"60"});
    viewer->setFilter("Grp != 3");
    viewer->redrawGrid();
    const std::vector<Cell> before = Cells();
    const int top = CursorId();
    const struct {
        const char* entry;
        const char* message;
    } cases[] = {
        {"12x", "The value given for Id is not a valid value for it"},
        {"10", "Key exists but is outside view restriction"},  // below the range
        {"24", "Key exists but is outside view restriction"},  // Grp 3: the filter refuses it
        {"23", "Error getting specified record"},
    };
    ASSERT_EQ(3, GrpOf(24));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        keys.screens.clear();
        keys.PushText(c.entry);
        keys.PushKey(kKeyTab);
        keys.PushKey(kKeyDown);
        keys.PushKey(kKeyDown);  // Get Equal
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyEnter);  // the message box
        keys.PushKey(kKeyEsc);
        EXPECT_FALSE(gotoRecord(*viewer));
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_TRUE(keys.Saw(c.message));
        // The dialog was still there after the message.
        ASSERT_FALSE(keys.screens.empty());
        EXPECT_NE(std::string::npos, keys.screens.back().find("Goto Record"));
        EXPECT_EQ(before, Cells());
        EXPECT_EQ(top, CursorId());
    }
}

// --- the expression test -----------------------------------------------------------------

TEST_F(GotoTest, ExpressionsAreEvaluatedOnTheCurrentRecord) {
    Open();
    viewer->setKeyNumber(0);
    uint8_t image[RecordListWindow::kRangeSize];
    Estring bad;
    ASSERT_TRUE(BuildGotoKey(definition->index(0), {Estring("24")}, image, bad));
    ASSERT_EQ(0, FindGotoRecord(*viewer, kGotoEqual, image));
    const struct {
        const char* formula;
        const char* result;  // nullptr: an error
    } cases[] = {
        {"Id * 2", "48"},      {"Grp", "3"},     {"Name + \"!\"", "N24!"}, {"Price * 2", "48.5"},
        {"Id +", nullptr}, {"Nope + 1", nullptr}, {"(Id", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        Estring result, error;
        const bool ok = EvaluateTestExpression(*viewer, c.formula, result, error);
        if (c.result != nullptr) {
            EXPECT_TRUE(ok) << error.Text();
            EXPECT_EQ(c.result, result.Trim().ToStdString());
            EXPECT_TRUE(error.IsEmpty());
        } else {
            EXPECT_FALSE(ok) << result.Text();
            EXPECT_FALSE(error.IsEmpty());
            EXPECT_TRUE(result.IsEmpty());
        }
    }
}

TEST_F(GotoTest, ExpressionDialogShowsTheResultAndGivesTheScreenBack) {
    Open();
    viewer->redrawGrid();
    const std::vector<Cell> before = Cells();
    const int id = BufferId();
    keys.PushText("Id + 1000");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);
    testExpression(*viewer);
    EXPECT_TRUE(keys.Saw("Result    : " + std::to_string(id + 1000)));
    EXPECT_EQ(before, Cells());

    // A failing formula after a good one: its message, and the old result gone.
    Estring result, error;
    ASSERT_FALSE(EvaluateTestExpression(*viewer, "Id +", result, error));
    keys.screens.clear();
    keys.PushText("Id * 3");
    keys.PushKey(kKeyEnter);
    for (int i = 0; i < 3; ++i) keys.PushKey(kKeyBackspace);
    keys.PushText("+");
    keys.PushKey(kKeyEnter);  // "Id +"
    keys.PushKey(kKeyEnter);  // the message box
    keys.PushKey(kKeyEsc);
    testExpression(*viewer);
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_TRUE(keys.Saw("Result    : " + std::to_string(id * 3)));
    EXPECT_TRUE(keys.Saw(error.ToStdString()));
    ASSERT_FALSE(keys.screens.empty());
    EXPECT_NE(std::string::npos, keys.screens.back().find("Expression: Id +"));
    EXPECT_EQ(std::string::npos, keys.screens.back().find("Result    : " + std::to_string(id * 3)));
    EXPECT_EQ(before, Cells());
}

}  // namespace

namespace {

// The range restricts the view, not the search: a key typed before the range
// finds its first record, one after it its last.
TEST_F(GotoTest, SearchesFromOutsideTheRangeFindTheRecordsInIt) {
    Open();
    Range(0, {"20"}, {"60"});
    const struct {
        const char* entry;
        int mode;
        int expected;  // -1: none
    } cases[] = {
        {"10", kGotoGreaterOrEqual, 20}, {"10", kGotoGreater, 20}, {"70", kGotoLess, 60},
        {"70", kGotoLessOrEqual, 60},    {"10", kGotoLess, -1},    {"70", kGotoGreater, -1},
        {"40", kGotoGreater, 42},        {"40", kGotoLess, 38},    {"60", kGotoGreater, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " mode " + std::to_string(c.mode));
        uint8_t image[RecordListWindow::kRangeSize];
        Estring bad;
        ASSERT_TRUE(BuildGotoKey(definition->index(0), {Estring(c.entry)}, image, bad));
        const int status = FindGotoRecord(*viewer, c.mode, image);
        if (c.expected < 0) {
            EXPECT_NE(0, status);
        } else {
            ASSERT_EQ(0, status);
            EXPECT_EQ(c.expected, BufferId());
        }
    }
}

// The same on the segmented index with a descending segment, the range on its first segment.
TEST_F(GotoTest, SearchesFromOutsideASegmentedRangeFindTheRecordsInIt) {
    Open();
    Range(2, {"1", ""}, {"2", ""});
    auto inRange = [](int id) { return GrpOf(id) == 1 || GrpOf(id) == 2; };
    int first = -1, last = -1;  // the view's order: Grp up, Id down
    for (int n = 0; n < kCount; ++n) {
        const int id = IdOf(n);
        if (!inRange(id)) continue;
        if (first < 0 || OrderOf(2, GrpOf(id), id) < OrderOf(2, GrpOf(first), first)) first = id;
        if (last < 0 || OrderOf(2, GrpOf(id), id) > OrderOf(2, GrpOf(last), last)) last = id;
    }
    const struct {
        std::vector<Estring> entries;
        int mode;
        int expected;
    } cases[] = {
        {{"0", "5"}, kGotoGreater, first},  {{"0", ""}, kGotoGreaterOrEqual, first},
        {{"4", "5"}, kGotoLess, last},      {{"3", ""}, kGotoLessOrEqual, last},
        {{"0", "5"}, kGotoLess, -1},        {{"4", "5"}, kGotoGreater, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries[0].ToStdString() + "," + c.entries[1].ToStdString() + " mode " + std::to_string(c.mode));
        uint8_t image[RecordListWindow::kRangeSize];
        Estring bad;
        ASSERT_TRUE(BuildGotoKey(definition->index(2), c.entries, image, bad));
        const int status = FindGotoRecord(*viewer, c.mode, image);
        if (c.expected < 0) {
            EXPECT_NE(0, status);
        } else {
            ASSERT_EQ(0, status);
            EXPECT_EQ(c.expected, BufferId());
        }
    }
}

TEST_F(GotoTest, InPhysicalOrderThereIsNoDialog) {
    Open();
    viewer->setKeyNumber(-1);
    viewer->redrawGrid();
    const std::vector<Cell> before = Cells();
    keys.PushText("10");
    keys.PushKey(kKeyEnter);
    EXPECT_FALSE(gotoRecord(*viewer));
    EXPECT_EQ(3, keys.Remaining());
    EXPECT_EQ(before, Cells());
}

}  // namespace

namespace {

// Alt-G pressed in the grid, each mode chosen in the dialog: the grid's
// cursor ends on the record the test finds in its own order of the view.
TEST_F(GotoTest, AltGInTheGridLandsOnTheRecordOfEachMode) {
    Open();
    viewer->setFilter("Grp != 3");
    const struct {
        int key;
        const char* entry;
    } probes[] = {{0, "24"}, {0, "25"}, {1, "24"}, {1, "31"}};
    const int modes[] = {kGotoGreaterOrEqual, kGotoLessOrEqual, kGotoEqual, kGotoGreater, kGotoLess};
    int landed = 0;
    for (const auto& probe : probes) {
        viewer->setKeyNumber(probe.key);
        for (int mode : modes) {
            const int expected = Expected(probe.key, mode, 0, std::atoi(probe.entry), NotGrp3);
            SCOPED_TRACE(std::to_string(probe.key) + " " + probe.entry + " mode " + std::to_string(mode));
            viewer->restartAtFirst();
            const int before = CursorId();
            keys.PushKey(kKeyAltG);
            keys.PushText(probe.entry);
            keys.PushKey(kKeyTab);
            for (int m = 0; m < mode; ++m) keys.PushKey(kKeyDown);
            keys.PushKey(kKeyEnter);
            if (expected < 0) {
                keys.PushKey(kKeyEnter);  // the message box
                keys.PushKey(kKeyEsc);    // the dialog stayed: leave it
            }
            viewer->run(nullptr);
            EXPECT_EQ(0, keys.Remaining());
            EXPECT_EQ(expected < 0 ? before : expected, CursorId());
            landed += expected < 0 ? 0 : 1;
        }
    }
    EXPECT_GE(landed, 14);
}

}  // namespace
