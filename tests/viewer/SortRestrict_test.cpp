#include "viewer/SortRestrict.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <functional>
#include <random>

#include "GridTestSupport.h"
#include "fields/FieldCodec.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"
#include "viewer/HelpViewer.h"

namespace {

using viewertest::ScratchDir;
using viewertest::SnapshotInput;

// SnapshotInput that lets a test act when a long operation looks for a waiting key.
class PollingInput : public SnapshotInput {
public:
    explicit PollingInput(const MemoryDisplay& display) : SnapshotInput(display) {}
    bool Pending() override {
        if (onPending) onPending();
        return SnapshotInput::Pending();
    }
    std::function<void()> onPending;
};

constexpr const char* kPartsSchema = R"(
table Parts location parts.dat
  field Id Integer 4
  field Grp Integer 2
  field Name String 12
  field Qty Integer 4
  index 0 : Id
  index 1 duplicates : Grp, Qty
  index 2 duplicates modifiable : Qty descending
  index 3 duplicates : Name case-insensitive
  index 4 duplicates : Grp, Qty descending
table Events location events.dat
  field Id Integer 4
  field When Date 4
  field Rate Float 8
  field At Time 4
  index 0 : Id
  index 1 duplicates : When, Rate, At
)";

const char* const kNames[] = {"alpha", "Beta", "GAMMA", "delta", "Alpha", "beta", "Epsilon", "zeta"};
constexpr int kRecords = 240;

struct Part {
    int id, grp, qty;
    std::string name;
};

Part PartOf(int id) { return Part{id, (id * 7) % 5, (id * 37) % 100, kNames[(id * 3) % 8]}; }

class SortRestrictTest : public ::testing::Test {
protected:
    SortRestrictTest() : screen(80, 25), keys(screen) {}
    ~SortRestrictTest() override {
        viewer.reset();
        definition.reset();
        file.close();
    }

    // count must be prime to 101, so that the records go in in a scrambled order.
    void OpenParts(int count = kRecords) {
        ASSERT_EQ(0, file.open("parts.dat"));
        for (int i = 0; i < count; ++i) {
            const Part part = PartOf((i * 101) % count);
            std::vector<uint8_t> record(static_cast<size_t>(file.dataLength()), 0);
            le::PutU32(&record[0], static_cast<uint32_t>(part.id));
            le::PutU16(&record[4], static_cast<uint16_t>(part.grp));
            std::string name = part.name;
            name.resize(12, ' ');
            std::memcpy(&record[6], name.data(), 12);
            le::PutU32(&record[18], static_cast<uint32_t>(part.qty));
            file.setDataLength(static_cast<uint16_t>(record.size()));
            ASSERT_EQ(0, file.insertRecord(record.data()));
        }
        tableRecord = viewertest::GridDatabase::TableRecord("Parts");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("parts.dat"), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 0, 25);
    }

    // Events records: id 0 .. 83; When the (id % 28 + 1)th of February 2024, Rate id / 2, At (id % 24):00.
    static constexpr int kEvents = 84;
    static std::string WhenOf(int id) {
        char text[16];
        std::snprintf(text, sizeof text, "02/%02d/2024", id % 28 + 1);
        return text;
    }
    void OpenEvents() {
        ASSERT_EQ(0, file.open("events.dat"));
        tableRecord = viewertest::GridDatabase::TableRecord("Events");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("events.dat"), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 0, 25);
        for (int id = 0; id < kEvents; ++id) {
            std::vector<uint8_t> record(static_cast<size_t>(file.dataLength()), 0);
            const int length = static_cast<int>(record.size());
            const std::string rate = std::to_string(id * 0.5);
            const std::string at = std::to_string(id % 24) + ":00";
            ASSERT_TRUE(FieldFromText(*viewer->fields.Find("Id"), record.data(), length, std::to_string(id)));
            ASSERT_TRUE(FieldFromText(*viewer->fields.Find("When"), record.data(), length, WhenOf(id)));
            ASSERT_TRUE(FieldFromText(*viewer->fields.Find("Rate"), record.data(), length, rate));
            ASSERT_TRUE(FieldFromText(*viewer->fields.Find("At"), record.data(), length, at));
            file.setDataLength(static_cast<uint16_t>(record.size()));
            ASSERT_EQ(0, file.insertRecord(record.data()));
        }
        viewer->restartAtFirst();
    }

    // Every id in view, in the viewer's order, through its fetch loops.
    std::vector<int> ViewIds() {
        std::vector<int> ids;
        for (int s = viewer->firstInView(); s == 0; s = viewer->nextInView())
            ids.push_back(static_cast<int>(le::GetU32(viewer->recordBuffer.get())));
        return ids;
    }

    // The same, from the last in view back to the first.
    std::vector<int> ViewIdsBackwards() {
        std::vector<int> ids;
        for (int s = viewer->lastInView(); s == 0; s = viewer->previousInView())
            ids.push_back(static_cast<int>(le::GetU32(viewer->recordBuffer.get())));
        return ids;
    }

    std::vector<int> PageIds() {
        std::vector<int> ids;
        for (int i = 0; i < viewer->rowCount(); ++i) ids.push_back(static_cast<int>(viewer->row(i).text.ToInt()));
        return ids;
    }

    viewertest::GridDatabase database{kPartsSchema};
    MemoryDisplay screen;
    PollingInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

TEST_F(SortRestrictTest, ChooseIndexListsEveryIndexAndNoneDoesNotClose) {
    OpenParts();
    definition->highestIndexNumber = 5;  // a key number the dictionary leaves undefined
    const std::vector<Estring> lines = IndexChoiceLines(*definition);
    const std::vector<std::string> expected = {"    Unsorted", " 0: Id",      " 1: Grp,Qty", " 2: Qty",
                                               " 3: Name",     " 4: Grp,Qty", " 5: None"};
    ASSERT_EQ(expected.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(expected[i], lines[i].ToStdString());

    // End goes to "None": Enter, Insert (its Create Index cancelled) and Delete keep the dialog; Up, Enter takes key 4.
    for (int key : {kKeyEnd, kKeyEnter, kKeyInsert, kKeyEsc, kKeyDelete, kKeyUp, kKeyEnter}) keys.PushKey(key);
    EXPECT_EQ(4, chooseIndex(*definition, file, 0));
    EXPECT_TRUE(keys.Saw("Choose Index"));
    EXPECT_TRUE(keys.Saw(" Insert=Add Index  Delete=Remove Index  Alt-D=Details "));
    keys.PushKey(kKeyEsc);
    EXPECT_EQ(kIndexCancelled, chooseIndex(*definition, file, 2));
    keys.PushKey(kKeyEnter);  // starts on "Unsorted" in physical order
    EXPECT_EQ(-1, chooseIndex(*definition, file, -1));
    keys.PushKey(kKeyEnter);  // starts on the current index
    EXPECT_EQ(2, chooseIndex(*definition, file, 2));
}

TEST_F(SortRestrictTest, DetailLinesForEachFlagCombination) {
    OpenParts();
    const struct {
        uint16_t flags;
        const char* duplicates;
        const char* modifiable;
        const char* nulls;
        const char* segmentTail;
    } cases[] = {
        {0x0000, "No", "No", "No", "Sen  Ascend"},
        {0x0001, "Yes", "No", "No", "Sen  Ascend"},
        {0x0081, "Yes (repeating)", "No", "No", "Sen  Ascend"},
        {0x0002 | 0x0008, "No", "Yes", "All Segments", "Sen  Ascend"},
        {0x0200 | 0x0040, "No", "No", "Any Segment", "Sen  Decend"},
        {0x0208 | 0x0400, "No", "No", "All Segments", "Ins  Ascend"},
        {0x0020, "No", "No", "No", "Sen  Ascend    7"},
    };
    FieldAttributes& segment = *definition->index(2).Get(0);
    segment.collatingNumber = 7;
    for (const auto& c : cases) {
        segment.flags = c.flags;
        const std::vector<Estring> lines = IndexDetailLines(*definition, 2);
        ASSERT_EQ(6u, lines.size());
        EXPECT_EQ(std::string("Duplicates: ") + c.duplicates, lines[0].ToStdString()) << c.flags;
        EXPECT_EQ(std::string("Modifiable: ") + c.modifiable, lines[1].ToStdString()) << c.flags;
        EXPECT_EQ(std::string("  Null Key: ") + c.nulls, lines[2].ToStdString()) << c.flags;
        EXPECT_EQ("KeyName              Type                Case Direction ACS", lines[4].ToStdString());
        EXPECT_EQ(std::string("Qty                  Integer(4)          ") + c.segmentTail, lines[5].ToStdString())
            << c.flags;
    }
    // Alt-D in the list shows the details of the selected index, then the list again.
    for (int key : {kKeyAltD, kKeyEnter, kKeyEsc}) keys.PushKey(key);
    EXPECT_EQ(kIndexCancelled, chooseIndex(*definition, file, 1));
    EXPECT_TRUE(keys.Saw(" Details for Index 1 "));
    EXPECT_TRUE(keys.Saw("Grp                  Integer(2)"));
}

TEST_F(SortRestrictTest, AltSReordersTheGrid) {
    OpenParts();
    std::vector<int> byQty = viewertest::EngineOrder(file, 2);
    byQty.resize(static_cast<size_t>(viewer->pageRowCount()));
    for (int key : {kKeyAltS, kKeyDown, kKeyDown, kKeyEnter, kKeyEsc}) keys.PushKey(key);
    viewer->run(nullptr);
    EXPECT_EQ(2, viewer->keyNumber);
    EXPECT_EQ(byQty, PageIds());
    for (int key : {kKeyAltS, kKeyHome, kKeyEnter, kKeyEsc}) keys.PushKey(key);
    viewer->run(nullptr);
    EXPECT_EQ(-1, viewer->keyNumber);
    std::vector<int> physical = viewertest::EngineOrder(file, -1);
    physical.resize(static_cast<size_t>(viewer->pageRowCount()));
    EXPECT_EQ(physical, PageIds());
}

TEST_F(SortRestrictTest, RestrictDialogEdgeCases) {
    OpenParts();
    viewer->setKeyNumber(1);
    // A lower bound on the first of two segments only: every Grp 3 key and above.
    keys.PushText("3");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    EXPECT_TRUE(viewer->rangeActive);
    std::vector<int> ids = ViewIds();
    int expected = 0;
    for (int id = 0; id < kRecords; ++id) expected += PartOf(id).grp >= 3;
    EXPECT_EQ(expected, static_cast<int>(ids.size()));
    for (int id : ids) EXPECT_GE(PartOf(id).grp, 3);

    // A bound that is not a number is refused, naming the field; the dialog stays open until Esc.
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyTab);
    keys.PushText("abc");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // the message box
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(restrictRecords(*viewer));
    EXPECT_TRUE(keys.Saw("Qty is not a valid value"));
    EXPECT_EQ(expected, static_cast<int>(ViewIds().size()));  // the old range stays

    // A filter that does not give a logical value keeps the dialog open after the "Filter" box; Cancel restores.
    viewer->setFilter("Qty > 50");
    for (int t = 0; t < 4; ++t) keys.PushKey(kKeyTab);  // past the four bounds to the filter entry
    keys.PushText("Qty + 1");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);  // the Filter box
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(restrictRecords(*viewer));
    EXPECT_TRUE(keys.Saw("Result must be a logical value"));
    EXPECT_EQ("Qty > 50", viewer->filterText.ToStdString());

    // Clear then OK: everything shows.
    keys.PushKey(kKeyAltC);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    EXPECT_FALSE(viewer->rangeActive);
    EXPECT_TRUE(viewer->filterText.IsEmpty());
    EXPECT_EQ(kRecords, static_cast<int>(ViewIds().size()));

    // A descending segment with bounds 20 to 10: Qty 20 down to 10, in key order.
    viewer->setKeyNumber(2);
    keys.PushText("20");
    keys.PushKey(kKeyTab);
    keys.PushText("10");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    ids = ViewIds();
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(20, PartOf(ids.front()).qty);
    EXPECT_EQ(10, PartOf(ids.back()).qty);
    for (size_t i = 1; i < ids.size(); ++i) EXPECT_GE(PartOf(ids[i - 1]).qty, PartOf(ids[i]).qty);

    // Physical order: only the filter entry; OK leaves the range off.
    viewer->setKeyNumber(-1);
    keys.PushText("Grp = 2");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    EXPECT_FALSE(viewer->rangeActive);
    EXPECT_FALSE(keys.screens.back().find("From") != std::string::npos);
    ids = ViewIds();
    expected = 0;
    for (int id = 0; id < kRecords; ++id) expected += PartOf(id).grp == 2;
    EXPECT_EQ(expected, static_cast<int>(ids.size()));
}

TEST_F(SortRestrictTest, InsertPutsAFieldNameAtTheFilterCursor) {
    OpenParts();
    viewer->setKeyNumber(-1);
    keys.PushText(" > 90");
    keys.PushKey(kKeyHome);
    keys.PushKey(kKeyInsert);
    for (int i = 0; i < 3; ++i) keys.PushKey(kKeyDown);  // Id, Grp, Name, Qty
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    EXPECT_TRUE(keys.Saw("Choose Field"));
    EXPECT_EQ("Qty > 90", viewer->filterText.ToStdString());
    for (int id : ViewIds()) EXPECT_GT(PartOf(id).qty, 90);
}

// Cancel after any edit leaves the filter and the range that were in force, on the rows as well.
TEST_F(SortRestrictTest, CancelKeepsTheFilterAndTheRangeInForce) {
    OpenParts();
    viewer->setKeyNumber(0);
    keys.PushText("100");
    keys.PushKey(kKeyTab);
    keys.PushText("199");
    keys.PushKey(kKeyTab);
    keys.PushText("Qty < 50");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    const std::vector<int> before = ViewIds();
    ASSERT_FALSE(before.empty());
    for (int id : before) {
        EXPECT_TRUE(id >= 100 && id <= 199 && PartOf(id).qty < 50) << id;
    }
    const struct {
        const char* name;
        std::vector<int> keysBeforeText;
        const char* text;  // typed at the dialog's focus after keysBeforeText
    } cases[] = {
        {"a new valid filter", {kKeyTab, kKeyTab, kKeyEnd}, " & Grp = 1"},
        {"new bounds", {}, "5"},
        {"Clear", {kKeyAltC}, ""},
        {"Clear, then a filter", {kKeyAltC, kKeyTab, kKeyTab}, "Qty > 90"},
    };
    for (const auto& c : cases) {
        for (int key : c.keysBeforeText) keys.PushKey(key);
        keys.PushText(c.text);
        keys.PushKey(kKeyEsc);
        EXPECT_FALSE(restrictRecords(*viewer)) << c.name;
        EXPECT_EQ(0, keys.Remaining()) << c.name;
        EXPECT_EQ("Qty < 50", viewer->filterText.ToStdString()) << c.name;
        EXPECT_TRUE(viewer->rangeActive) << c.name;
        EXPECT_EQ(before, ViewIds()) << c.name;
        // The dialog shows the range and the filter in force again.
        keys.screens.clear();
        keys.PushKey(kKeyEsc);
        EXPECT_FALSE(restrictRecords(*viewer));
        ASSERT_FALSE(keys.screens.empty());
        EXPECT_NE(std::string::npos, keys.screens[0].find("199")) << c.name;
        EXPECT_NE(std::string::npos, keys.screens[0].find("Qty < 50")) << c.name;
    }
}

// The grid driven by keys: the page after Restrict Records is the first records in view. The keys
// typed behind the dialog's Enter (Down, then Esc to leave) were typed before the search began: they
// are the grid's next commands, neither lost nor taken as stopping the search.
TEST_F(SortRestrictTest, RestrictThroughTheGridFillsThePage) {
    OpenParts();
    const struct {
        const char* name;
        std::vector<int> chooseKeys;  // in Choose Index
        int key;
        const char* filter;
        std::function<bool(const Part&)> passes;
    } cases[] = {
        {"physical, Qty = 3", {kKeyHome}, -1, "Qty = 3", [](const Part& p) { return p.qty == 3; }},
        {"physical, Grp = 2", {kKeyHome}, -1, "Grp = 2", [](const Part& p) { return p.grp == 2; }},
        {"by Qty, Qty = 3", {kKeyHome, kKeyDown, kKeyDown, kKeyDown}, 2, "Qty = 3",
         [](const Part& p) { return p.qty == 3; }},
        {"by Id, Qty < 10", {kKeyHome, kKeyDown}, 0, "Qty < 10", [](const Part& p) { return p.qty < 10; }},
    };
    for (const auto& c : cases) {
        keys.PushKey(kKeyHome);  // the cursor on the first row
        keys.PushKey(kKeyAltS);
        for (int key : c.chooseKeys) keys.PushKey(key);
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyAltR);
        if (c.key == 0) keys.PushKey(kKeyTab);  // past the From and To of Id
        if (c.key == 0) keys.PushKey(kKeyTab);
        if (c.key == 2) keys.PushKey(kKeyTab);
        if (c.key == 2) keys.PushKey(kKeyTab);
        keys.PushText(c.filter);
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEsc);
        EXPECT_EQ(kKeyEsc, viewer->run(nullptr)) << c.name;
        EXPECT_EQ(c.key, viewer->keyNumber) << c.name;
        EXPECT_EQ(c.filter, viewer->filterText.ToStdString()) << c.name;
        std::vector<int> expected;
        for (int id : viewertest::EngineOrder(file, c.key))
            if (c.passes(PartOf(id))) expected.push_back(id);
        if (expected.size() > static_cast<size_t>(viewer->pageRowCount()))
            expected.resize(static_cast<size_t>(viewer->pageRowCount()));
        ASSERT_FALSE(expected.empty()) << c.name;
        EXPECT_EQ(expected, PageIds()) << c.name;
        // The Down after the dialog moved the cursor, so the search did not eat it.
        EXPECT_EQ(std::min<int>(1, static_cast<int>(expected.size()) - 1), viewer->cursorRow()) << c.name;
        // The rows the screen shows are the page's.
        EXPECT_NE(std::string::npos, viewertest::ScreenText(screen).find(viewer->row(0).text.Left(40).TrimRight().ToStdString()))
            << c.name;
        viewer->setFilter("");
    }
}

// Columns are what the grid shows; the filter and the range read the whole record, so taking out the
// columns they name leaves the rows as they were.
TEST_F(SortRestrictTest, DeselectingColumnsOfTheFilterAndRangeKeepsTheRows) {
    OpenParts();
    viewer->setKeyNumber(1);
    keys.PushText("2");  // Grp from 2
    keys.PushKey(kKeyTab);
    keys.PushText("3");  // Grp to 3
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyTab);
    keys.PushText("Qty > 40 & Name = 'beta'");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    std::vector<int> expected;
    for (int id : viewertest::EngineOrder(file, 1)) {
        const Part p = PartOf(id);
        std::string lower = p.name;
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (p.grp >= 2 && p.grp <= 3 && p.qty > 40 && lower == "beta") expected.push_back(id);
    }
    ASSERT_FALSE(expected.empty());
    ASSERT_LE(expected.size(), static_cast<size_t>(viewer->pageRowCount()));
    EXPECT_EQ(expected, PageIds());
    EXPECT_EQ(expected, ViewIds());

    // Alt-F: Grp, Name and Qty out (Id stays first), F10.
    for (int key : {kKeyAltF, kKeyDown, kKeySpace, kKeyDown, kKeySpace, kKeyDown, kKeySpace, kKeyF10, kKeyEsc})
        keys.PushKey(key);
    viewer->run(nullptr);
    ASSERT_FALSE(viewer->fields.Find("Qty")->selected);
    ASSERT_FALSE(viewer->fields.Find("Grp")->selected);
    ASSERT_FALSE(viewer->fields.Find("Name")->selected);
    EXPECT_EQ("Id", viewer->headerLine(2).Trim().ToStdString());
    EXPECT_EQ(expected, PageIds());
    EXPECT_EQ(expected, ViewIds());
    // Each row is now the Id column alone.
    for (int i = 0; i < viewer->rowCount(); ++i)
        EXPECT_EQ(Estring::FromInt(expected[static_cast<size_t>(i)]).ToStdString(), viewer->row(i).text.Trim().ToStdString());
}

// Range and filter against the same rules applied in the test to every record read straight from the engine.
TEST_F(SortRestrictTest, RandomRangesAndFiltersMatchAnIndependentScan) {
    OpenParts();
    std::mt19937 random(20261208);
    auto upper = [](std::string s) {
        s.resize(12, ' ');
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    // A segment's value of a part as a comparable pair (numbers, or upper-cased text).
    auto value = [&](int key, int segment, const Part& p) -> std::pair<long, std::string> {
        if (key == 0) return {p.id, ""};
        if (key == 1 || key == 4) return {segment == 0 ? p.grp : p.qty, ""};
        if (key == 2) return {p.qty, ""};
        return {0, upper(p.name)};
    };
    const char* const stringBounds[] = {"alpha", "BETA", "c", "Delta", "epsilon", "g", "Zeta", "zz"};
    int cases = 0;
    for (int key = 0; key < 5; ++key) {
        const int segments = key == 1 || key == 4 ? 2 : 1;
        // Qty descends in key 2 alone and as the second segment of key 4.
        auto direction = [key](int segment) { return key == 2 || (key == 4 && segment == 1) ? -1 : 1; };
        std::vector<Part> ordered;
        for (int id : viewertest::EngineOrder(file, key)) ordered.push_back(PartOf(id));
        for (int round = 0; round < 55; ++round, ++cases) {
            std::vector<Estring> from(static_cast<size_t>(segments)), to(static_cast<size_t>(segments));
            std::vector<std::pair<long, std::string>> lo(2), hi(2);
            for (int s = 0; s < segments; ++s) {
                for (int side = 0; side < 2; ++side) {
                    if (random() % 3 == 0) continue;  // no bound on this side
                    std::pair<long, std::string> bound;
                    Estring text;
                    if (key == 3) {
                        const char* b = stringBounds[random() % 8];
                        text = b;
                        bound = {0, upper(b)};
                    } else {
                        const long range = key == 0 ? kRecords : ((key == 1 || key == 4) && s == 0 ? 5 : 100);
                        const long v = static_cast<long>(random() % static_cast<unsigned>(range));
                        text = Estring::FromInt(v);
                        bound = {v, ""};
                    }
                    (side == 0 ? from : to)[static_cast<size_t>(s)] = text;
                    (side == 0 ? lo : hi)[static_cast<size_t>(s)] = bound;
                }
            }
            const int filterKind = static_cast<int>(random() % 3);
            const int limit = static_cast<int>(random() % 100);
            const Estring filter = filterKind == 0   ? Estring()
                                   : filterKind == 1 ? Estring("Qty > ") + Estring::FromInt(limit)
                                                     : Estring("Grp != ") + Estring::FromInt(limit % 5);
            bool active = false;
            Estring bad;
            ASSERT_TRUE(BuildRange(*definition, key, from, to, viewer->rangeFrom, viewer->rangeTo, active, bad));
            viewer->keyNumber = key;
            viewer->rangeActive = active;
            viewer->setFilter(filter);

            std::vector<int> expected;
            for (const Part& p : ordered) {
                bool inLower = true, inUpper = true;
                for (int s = 0; s < segments; ++s) {  // lexicographic, a missing bound frees the rest
                    if (from[static_cast<size_t>(s)].IsEmpty()) break;
                    const auto v = value(key, s, p);
                    const int c = direction(s) * (v < lo[static_cast<size_t>(s)] ? -1 : v > lo[static_cast<size_t>(s)] ? 1 : 0);
                    if (c != 0) {
                        inLower = c > 0;
                        break;
                    }
                }
                for (int s = 0; s < segments; ++s) {
                    if (to[static_cast<size_t>(s)].IsEmpty()) break;
                    const auto v = value(key, s, p);
                    const int c = direction(s) * (v < hi[static_cast<size_t>(s)] ? -1 : v > hi[static_cast<size_t>(s)] ? 1 : 0);
                    if (c != 0) {
                        inUpper = c < 0;
                        break;
                    }
                }
                const bool passes = filterKind == 0 ? true : filterKind == 1 ? p.qty > limit : p.grp != limit % 5;
                if (inLower && inUpper && passes) expected.push_back(p.id);
            }
            std::string bounds;
            for (int s = 0; s < segments; ++s)
                bounds += std::string(" [") + from[static_cast<size_t>(s)].Text() + ", " + to[static_cast<size_t>(s)].Text() + "]";
            ASSERT_EQ(expected, ViewIds()) << "key " << key << bounds << " filter " << filter.Text();
            // From the end backwards: the same records in reverse, so the range seeds Get Less or Equal right.
            std::reverse(expected.begin(), expected.end());
            ASSERT_EQ(expected, ViewIdsBackwards()) << "key " << key << bounds << " filter " << filter.Text();
        }
    }
    EXPECT_GE(cases, 200);
}

// The codec's readers take "abc" as 0 and any three numbers as a date; a bound read that way would
// restrict to a range the user never asked for. Each is refused naming its field, the dialog stays
// open, and the range in force stays.
TEST_F(SortRestrictTest, BoundsThatAreNotValuesOfTheirTypeAreRefused) {
    OpenEvents();
    viewer->setKeyNumber(1);  // When, Rate, At
    // In force: 02/05/2024 with Rate from -25 (typed with an exponent) to 16 (with its sign), any time.
    for (const char* text : {"02/05/2024", "\t", "02/05/2024", "\t", "-2.5e1", "\t", "+16"}) {
        if (text[0] == '\t') {
            keys.PushKey(kKeyTab);
        } else {
            keys.PushText(text);
        }
    }
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    const std::vector<int> inForce = ViewIds();
    EXPECT_EQ((std::vector<int>{4, 32}), inForce);  // 02/05 holds ids 4, 32 and 60; Rate 2, 16 and 30

    const char* const segmentNames[] = {"When", "Rate", "At"};
    // Each of these is a value of none of the three types.
    const char* const badTexts[] = {"31/02/2024", "abc", "1.2.x", "02/30/2024", "25:00", "12x"};
    int side = 0;
    for (int segment = 0; segment < 3; ++segment) {
        for (const char* bad : badTexts) {
            const std::string name = std::string(segmentNames[segment]) + " " + (side == 0 ? "From" : "To") + " " + bad;
            keys.screens.clear();
            for (int t = 0; t < 2 * segment + side; ++t) keys.PushKey(kKeyTab);
            keys.PushText(bad);
            keys.PushKey(kKeyEnter);
            keys.PushKey(kKeyEnter);  // the message box
            keys.PushKey(kKeyEsc);    // the dialog, still open
            EXPECT_FALSE(restrictRecords(*viewer)) << name;
            EXPECT_EQ(0, keys.Remaining()) << name;
            EXPECT_TRUE(keys.Saw(std::string("The bound given for ") + segmentNames[segment] + " is not a valid value"))
                << name;
            EXPECT_TRUE(viewer->rangeActive) << name;
            EXPECT_EQ(inForce, ViewIds()) << name;
            side = 1 - side;
        }
    }

    // Good values of every type are taken: a date range with a time range on the last segment.
    keys.PushKey(kKeyAltC);
    for (const char* text : {"02/27/2024", "\t", "02/29/2024", "\t", "\t", "\t", "05:30", "\t", "23:59:59"}) {
        if (text[0] == '\t') {
            keys.PushKey(kKeyTab);
        } else {
            keys.PushText(text);
        }
    }
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    // Rate is open on both sides, so At is free too: every record from 02/27 to 02/29 (there is no 02/29 record).
    std::vector<int> expected;
    for (int id : viewertest::EngineOrder(file, 1))
        if (WhenOf(id) >= "02/27/2024" && WhenOf(id) <= "02/29/2024") expected.push_back(id);
    ASSERT_EQ(6u, expected.size());  // ids 26, 27, 54, 55, 82, 83
    EXPECT_EQ(expected, ViewIds());
}

// The range images hold one index's bounds. Bounds set on another index overwrite them, so going
// back to the first index must not show (and on OK restore) what its segments' bytes became.
TEST_F(SortRestrictTest, BoundsOfAnotherIndexDoNotComeBackAsStaleValues) {
    OpenParts();
    viewer->setKeyNumber(1);
    keys.PushText("2");
    keys.PushKey(kKeyTab);
    keys.PushText("3");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    // Back and forth without a new range: the bounds of index 1 are offered again.
    viewer->setKeyNumber(2);
    viewer->setKeyNumber(1);
    keys.screens.clear();
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    int expected = 0;
    for (int id = 0; id < kRecords; ++id) expected += PartOf(id).grp >= 2 && PartOf(id).grp <= 3;
    EXPECT_EQ(expected, static_cast<int>(ViewIds().size()));

    // A range on index 2 replaces them: index 1 then starts with no bounds.
    viewer->setKeyNumber(2);
    keys.PushText("20");
    keys.PushKey(kKeyTab);
    keys.PushText("10");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    viewer->setKeyNumber(1);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    EXPECT_FALSE(viewer->rangeActive);
    EXPECT_EQ(kRecords, static_cast<int>(ViewIds().size()));
}

// A From that lies after its To in the segment's order would hold no key: an empty grid without a
// word. It is refused naming the field, in both directions and on the later segment of a key.
TEST_F(SortRestrictTest, FromAfterToInTheSegmentsOrderIsRefused) {
    OpenParts();
    const struct {
        const char* name;
        int key;
        std::vector<const char*> entries;  // typed into the bound entries in turn, "" skipping one
        const char* field;
        const char* direction;
    } refused[] = {
        {"descending 10 to 20", 2, {"10", "20"}, "Qty", "descending"},
        {"ascending 50 to 40", 0, {"50", "40"}, "Id", "ascending"},
        {"equal first segment, descending second", 4, {"2", "2", "10", "20"}, "Qty", "descending"},
        {"first segment out of order", 1, {"3", "2", "", ""}, "Grp", "ascending"},
    };
    for (const auto& c : refused) {
        viewer->setKeyNumber(c.key);
        keys.screens.clear();
        for (size_t i = 0; i < c.entries.size(); ++i) {
            if (i > 0) keys.PushKey(kKeyTab);
            keys.PushText(c.entries[i]);
        }
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyEnter);  // the message box
        keys.PushKey(kKeyEsc);    // the dialog, still open
        EXPECT_FALSE(restrictRecords(*viewer)) << c.name;
        EXPECT_EQ(0, keys.Remaining()) << c.name;
        EXPECT_TRUE(keys.Saw(std::string("From lies after To for ") + c.field)) << c.name;
        EXPECT_TRUE(keys.Saw(std::string("sorts this field in ") + c.direction + " order")) << c.name;
        EXPECT_FALSE(viewer->rangeActive) << c.name;
        EXPECT_EQ(kRecords, static_cast<int>(ViewIds().size())) << c.name;
    }

    const struct {
        const char* name;
        int key;
        std::vector<const char*> entries;
        std::function<bool(const Part&)> passes;
    } taken[] = {
        {"descending 20 to 10", 2, {"20", "10"}, [](const Part& p) { return p.qty <= 20 && p.qty >= 10; }},
        {"equal bounds", 2, {"20", "20"}, [](const Part& p) { return p.qty == 20; }},
        // The first segments differ, so the second ones are free of each other.
        {"later segment free", 4, {"1", "2", "10", "20"},
         [](const Part& p) { return (p.grp == 1 && p.qty <= 10) || (p.grp == 2 && p.qty >= 20); }},
        {"open end frees the rest", 1, {"2", "2", "", "10"}, [](const Part& p) { return p.grp == 2 && p.qty <= 10; }},
    };
    for (const auto& c : taken) {
        viewer->setKeyNumber(c.key);
        for (size_t i = 0; i < c.entries.size(); ++i) {
            if (i > 0) keys.PushKey(kKeyTab);
            keys.PushText(c.entries[i]);
        }
        keys.PushKey(kKeyEnter);
        EXPECT_TRUE(restrictRecords(*viewer)) << c.name;
        std::vector<int> expected;
        for (int id : viewertest::EngineOrder(file, c.key))
            if (c.passes(PartOf(id))) expected.push_back(id);
        ASSERT_FALSE(expected.empty()) << c.name;
        EXPECT_EQ(expected, ViewIds()) << c.name;
    }
}

// Searching for a filter that no record passes, Esc stops the search: the grid comes back empty
// with the popups gone, and the key typed before the search still ends the grid's run.
TEST_F(SortRestrictTest, EscStopsTheSearchOfAFilterThatRejectsEverything) {
    constexpr int kManyRecords = 3000;
    OpenParts(kManyRecords);
    int searchPolls = 0, pollsAfterEsc = 0;
    bool sawSearching = false;
    bool pushed = false;
    // Some way into the search, with its popup up, the user gives up.
    keys.onPending = [&] {
        if (pushed) {
            ++pollsAfterEsc;
            return;
        }
        if (viewertest::ScreenText(screen).find("Searching...") == std::string::npos) return;
        sawSearching = true;
        if (++searchPolls < 50) return;
        keys.PushKey(kKeyEsc);
        pushed = true;
    };
    keys.PushKey(kKeyAltR);
    keys.PushKey(kKeyTab);  // past the From and To of Id
    keys.PushKey(kKeyTab);
    keys.PushText("Qty < 0");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);  // typed ahead: leaves the grid once the search is over
    EXPECT_EQ(kKeyEsc, viewer->run(nullptr));
    EXPECT_TRUE(pushed);
    EXPECT_TRUE(sawSearching);
    EXPECT_LT(pollsAfterEsc, 100) << "the search ran on after Esc";
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_EQ("Qty < 0", viewer->filterText.ToStdString());
    EXPECT_EQ(0, viewer->rowCount());
    const std::string shown = viewertest::ScreenText(screen);
    EXPECT_EQ(std::string::npos, shown.find("Searching")) << shown;
    EXPECT_EQ(std::string::npos, shown.find("Restrict Records")) << shown;
    EXPECT_EQ(std::string::npos, shown.find("Filter:")) << shown;
    EXPECT_NE(std::string::npos, screen.RowText(2).find("Id")) << shown;  // the grid's header
    for (int y = 4; y < 24; ++y) EXPECT_EQ(std::string(78, ' '), screen.RowText(y).substr(1, 78)) << y;
}

// F1 and Insert belong to the filter entry: there the expression help and Choose Field, with the
// dialog back after them; on a bound entry they do nothing at all.
TEST_F(SortRestrictTest, F1AndInsertActOnlyInTheFilterEntry) {
    OpenParts();
    viewer->setKeyNumber(0);
    // On the From entry of Id: F1, Insert, then a bound.
    keys.PushKey(kKeyF1);
    keys.PushKey(kKeyInsert);
    keys.PushText("7");
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    ASSERT_GE(keys.screens.size(), 3u);
    EXPECT_EQ(keys.screens[0], keys.screens[1]) << "F1 on a bound changed the screen";
    EXPECT_EQ(keys.screens[1], keys.screens[2]) << "Insert on a bound changed the screen";
    EXPECT_FALSE(keys.Saw("Quarrydex Help"));
    EXPECT_FALSE(keys.Saw("Choose Field"));
    EXPECT_EQ(kRecords - 7, static_cast<int>(ViewIds().size()));

    // In the filter entry: F1 shows the expression page, Esc returns to the dialog with the entry as it was.
    std::string helpLine;
    for (const Estring& line : HelpPageLines(HelpPage::kExpressions))
        if (line.Length() > 10 && line[0] != '\x08') {
            helpLine = line.Left(40).TrimRight().ToStdString();
            break;
        }
    ASSERT_FALSE(helpLine.empty());
    keys.screens.clear();
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyTab);
    keys.PushText("Qty > 9");
    keys.PushKey(kKeyF1);
    keys.PushKey(kKeyEsc);  // the help page
    keys.PushText("0");     // the filter entry has the focus again, its cursor at the end
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(restrictRecords(*viewer));
    EXPECT_TRUE(keys.Saw(" Quarrydex Help "));
    EXPECT_TRUE(keys.Saw(helpLine)) << helpLine;
    ASSERT_GE(keys.screens.size(), 2u);
    const std::string afterHelp = keys.screens[keys.screens.size() - 2];  // read of the "0"
    EXPECT_EQ(std::string::npos, afterHelp.find("Quarrydex Help"));
    EXPECT_NE(std::string::npos, afterHelp.find("Restrict Records"));
    EXPECT_EQ("Qty > 90", viewer->filterText.ToStdString());
    for (int id : ViewIds()) EXPECT_GT(PartOf(id).qty, 90);
}

}  // namespace
