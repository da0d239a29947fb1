// The bulk commands as the user meets them: keys pressed in the grid, the
// dialogs and questions on the memory screen, and the records read back
// straight from the engine afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "BulkTestSupport.h"
#include "CountingEngine.h"
#include "btrieve/StatusText.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"

namespace {

using bulktest::EngineRecords;
using bulktest::Item;
using bulktest::ItemOf;
using bulktest::ValueOf;

constexpr int kOpGetNext = 6;
constexpr int kStatusIoError = 2;

// How many screens seen at a read held text.
int ScreensWith(const viewertest::SnapshotInput& keys, const std::string& text) {
    int n = 0;
    for (const std::string& s : keys.screens) n += s.find(text) != std::string::npos ? 1 : 0;
    return n;
}

class BulkDialogTest : public bulktest::StockFixture {
protected:
    // Presses the keys in the grid; the viewer ends with the Esc of the empty script.
    void InGrid(const std::vector<int>& pressed) {
        for (int key : pressed) keys.PushKey(key);
        viewer->run(nullptr);
    }

    // The ids of the grid's rows, read again from their positions.
    std::vector<int> GridIds() {
        std::vector<int> ids;
        BtrieveFile reader;
        if (reader.open("stock.dat") != 0) return {-1};
        for (int i = 0; i < viewer->rowCount(); ++i) {
            uint8_t record[64] = {}, key[256] = {};
            reader.setDataLength(sizeof record);
            if (reader.getDirect(viewer->row(i).position, record, key, 0) != 0) return {-2};
            ids.push_back(static_cast<int>(le::GetU32(record)));
        }
        return ids;
    }

    // Alt-M, Enter on the line of field (list order), the formula, Enter.
    void TypeFormula(int line, const char* formula) {
        for (int i = 0; i < line; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);
        keys.PushText(formula);
        keys.PushKey(kKeyEnter);
    }

    static constexpr int kLineGrp = 1;  // Id, Grp, Price, Weight, Cost, Legacy, Name
    static constexpr int kLineName = 6;
};

// --- delete all ----------------------------------------------------------------------------

TEST_F(BulkDialogTest, DeleteAllFromTheGridRemovesTheRecordsInViewOnYesOnly) {
    const struct {
        const char* name;
        int key;                 // the grid's key pressed
        const char* filter;
        bool range;              // Id 40 .. 59 on index 0
        std::vector<int> answer; // keys in the question
        bool (*deleted)(const Item&);
    } cases[] = {
        {"filter accepts nothing", kKeyCtrlF8, "Id < 0", false, {kKeyLeft, kKeyEnter},
         [](const Item&) { return false; }},
        {"range with Ctrl-Delete", kKeyCtrlDelete, "", true, {kKeyLeft, kKeyEnter},
         [](const Item& i) { return i.id >= 40 && i.id <= 59; }},
        {"filter", kKeyCtrlF8, "Grp = 2 | Id > 110", false, {kKeyLeft, kKeyEnter},
         [](const Item& i) { return i.grp == 2 || i.id > 110; }},
        {"No has the focus", kKeyCtrlF8, "", false, {kKeyEnter}, [](const Item&) { return false; }},
        {"Esc", kKeyCtrlDelete, "", false, {kKeyEsc}, [](const Item&) { return false; }},
    };
    constexpr int kCount = 120;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reopen(kCount);
        if (c.range) Range(0, {"40"}, {"59"});
        viewer->setFilter(c.filter);
        keys.screens.clear();
        std::vector<int> pressed{c.key};
        pressed.insert(pressed.end(), c.answer.begin(), c.answer.end());
        InGrid(pressed);
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_TRUE(keys.Saw("Are you sure you want to delete all selected records?"));
        std::set<int> expected;
        for (int id = 0; id < kCount; ++id)
            if (!c.deleted(ItemOf(id))) expected.insert(id);
        std::set<int> left;
        for (const auto& [id, record] : EngineRecords("stock.dat")) left.insert(id);
        EXPECT_EQ(expected, left);
        // The page was refilled: its rows are records that are still there, in view.
        for (int id : GridIds()) {
            EXPECT_EQ(1u, left.count(id)) << id;
            EXPECT_FALSE(c.deleted(ItemOf(id)) && c.answer.size() > 1) << id;
        }
        viewer->rangeActive = 0;
    }
}

// Esc during the run and OK to "Cancel delete?" stops with the records so
// far deleted; Cancel to it goes on to the end.
TEST_F(BulkDialogTest, EscDuringDeleteAllAsksAndOkStopsWithTheRecordsDoneSoFar) {
    const struct {
        int answer;  // to "Cancel delete?"
        int deleted;
    } cases[] = {{kKeyEnter, 25}, {kKeyEsc, 90}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleted);
        Reopen(90);
        keys.screens.clear();
        keys.PushKey(kKeyCtrlF8);
        keys.PushKey(kKeyLeft);
        keys.PushKey(kKeyEnter);  // Yes
        // One waiting event is looked at after each record: 24 that are not
        // Esc, then Esc after the 25th.
        for (int i = 0; i < 24; ++i) keys.PushTimeout();
        keys.PushKey(kKeyEsc);
        keys.PushKey(c.answer);
        InGrid({});
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_TRUE(keys.Saw("Cancel delete?"));
        EXPECT_TRUE(keys.Saw("Deleted: 25"));
        std::set<int> left;
        for (const auto& [id, record] : EngineRecords("stock.dat")) left.insert(id);
        std::set<int> expected;
        for (int id = c.deleted; id < 90; ++id) expected.insert(id);  // the scan runs in Id order
        EXPECT_EQ(expected, left);
    }
}

// A Delete the engine refuses is put to the user once, with the engine's
// words for it, and is not counted as done; Cancel stops the run.
TEST_F(BulkDialogTest, DeleteAllOnAReadOnlyFileShowsTheRefusalOnceAndDeletesNothing) {
    Open(50, -2);  // read-only
    int refusal = 0;
    {
        BtrieveFile reader;
        ASSERT_EQ(0, reader.open("stock.dat", -2));
        uint8_t record[64] = {}, key[256] = {};
        reader.setDataLength(sizeof record);
        ASSERT_EQ(0, reader.stepFirst(record, key));
        refusal = reader.deleteRecord(0);
    }
    ASSERT_NE(0, refusal);
    const std::string words = statusText(refusal).ToStdString();
    constexpr int kOpDelete = 4;
    for (int answer : {kKeyEnter, kKeyEsc}) {
        SCOPED_TRACE(answer == kKeyEnter ? "OK: go on" : "Esc: stop");
        keys.screens.clear();
        viewertest::CountingEngine engine;
        ASSERT_TRUE(engine.Ready());
        InGrid({kKeyCtrlF8, kKeyLeft, kKeyEnter, answer});
        EXPECT_EQ(0, keys.Remaining());
        // Going on tries every record in view; stopping tries no more.
        EXPECT_EQ(answer == kKeyEnter ? 50 : 1, engine.Calls(kOpDelete));
        EXPECT_EQ(1, ScreensWith(keys, "Error deleting record"));
        EXPECT_TRUE(keys.Saw(words)) << words;
        EXPECT_TRUE(keys.Saw("Deleted: 0"));
        EXPECT_FALSE(keys.Saw("Deleted: 1"));
        EXPECT_EQ(50u, EngineRecords("stock.dat").size());
    }
}

// A scan that the engine breaks off with a read error is reported, not
// taken for the end of the view; what was done before it stays done.
TEST_F(BulkDialogTest, DeleteOrModifyAllBrokenOffByAReadErrorReportIt) {
    for (bool deleting : {true, false}) {
        SCOPED_TRACE(deleting ? "delete all" : "modify all");
        Reopen(300);
        keys.screens.clear();
        if (deleting) {
            keys.PushKey(kKeyCtrlF8);
            keys.PushKey(kKeyLeft);
            keys.PushKey(kKeyEnter);
        } else {
            keys.PushKey(kKeyAltM);
            TypeFormula(kLineGrp, "Grp + 100");
            keys.PushKey(kKeyF10);
            keys.PushKey(kKeyEnter);
        }
        viewertest::CountingEngine engine;
        ASSERT_TRUE(engine.Ready());
        engine.FailAfter(kOpGetNext, 150, kStatusIoError);  // past the grid's own page, inside the run
        InGrid({});
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_EQ(1, ScreensWith(keys, "Error getting record"));
        EXPECT_TRUE(keys.Saw(statusText(kStatusIoError).ToStdString()));
        // The scan runs in Id order: the records done are the first ids, and
        // the error came before the end.
        const auto after = EngineRecords("stock.dat");
        std::set<int> done;
        for (int id = 0; id < 300; ++id) {
            const auto found = after.find(id);
            if (deleting ? found == after.end() : ValueOf(*definition, "Grp", found->second) >= 100) done.insert(id);
        }
        ASSERT_FALSE(done.empty());
        EXPECT_EQ(0, *done.begin());
        EXPECT_EQ(static_cast<int>(done.size()) - 1, *done.rbegin());
        EXPECT_LT(done.size(), 300u);
        EXPECT_EQ(deleting ? 300 - done.size() : 300u, after.size());
    }
}

// --- modify all ----------------------------------------------------------------------------

TEST_F(BulkDialogTest, ModifyAllFromTheGridChangesExactlyTheRecordsInView) {
    Open(200);
    Range(2, {"3"}, {"6"});
    viewer->setFilter("Id % 4 = 1");
    keys.PushKey(kKeyAltM);
    TypeFormula(kLineGrp, "Grp + 20");
    keys.PushKey(kKeyUp);  // back to the first line, then down to Name
    TypeFormula(kLineName, "\"M\" + STR(Id * 2)");
    keys.PushKey(kKeyF10);
    keys.PushKey(kKeyEnter);  // OK to the question
    InGrid({});
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_TRUE(keys.Saw("Modify All In View"));
    EXPECT_TRUE(keys.Saw("Are you sure you want to modify all selected records?"));
    EXPECT_TRUE(keys.Saw("Grp: Grp + 20"));
    int changed = 0;
    const auto after = EngineRecords("stock.dat");
    ASSERT_EQ(200u, after.size());
    for (const auto& [id, record] : after) {
        SCOPED_TRACE(id);
        const Item item = ItemOf(id);
        const bool inView = item.grp >= 3 && item.grp <= 6 && id % 4 == 1;
        changed += inView ? 1 : 0;
        EXPECT_EQ(inView ? item.grp + 20 : item.grp, static_cast<int>(ValueOf(*definition, "Grp", record)));
        const std::string name = FieldToText(*definition->Find("Name"), record.data(), 48, false).Trim().ToStdString();
        EXPECT_EQ(inView ? "M" + std::to_string(id * 2) : "N" + std::to_string(id), name);
        EXPECT_EQ(item.priceCents, std::llround(ValueOf(*definition, "Price", record) * 100));
    }
    EXPECT_GT(changed, 10);
    // Every record moved out of the range: the refilled page is empty.
    EXPECT_EQ(0, viewer->rowCount());
}

// Sorted by Price, Price = Price * 1.1 moves every record on in the index;
// each is still changed once.
TEST_F(BulkDialogTest, ModifyAllFromTheGridOnTheSortKeyChangesEachRecordOnce) {
    constexpr int kCount = 3000;
    Open(kCount);
    viewer->setKeyNumber(1);
    keys.PushKey(kKeyAltM);
    TypeFormula(2, "Price * 1.1");
    keys.PushKey(kKeyF10);
    keys.PushKey(kKeyEnter);
    InGrid({});
    EXPECT_EQ(0, keys.Remaining());
    const auto after = EngineRecords("stock.dat");
    ASSERT_EQ(static_cast<size_t>(kCount), after.size());
    int wrong = 0;
    for (const auto& [id, record] : after) {
        const long long cents = std::llround(ValueOf(*definition, "Price", record) * 100);
        if (cents != ItemOf(id).priceCents * 11 / 10 && ++wrong <= 5) ADD_FAILURE() << id << ": " << cents;
    }
    EXPECT_EQ(0, wrong);
}

TEST_F(BulkDialogTest, ModifyAllDialogLeftOrRefusedChangesNothing) {
    Open(40);
    const auto before = EngineRecords("stock.dat");
    const struct {
        const char* name;
        std::vector<int> keys;      // after Alt-M
        const char* formula;        // typed on the Grp line first, when not null
        const char* message;        // expected on the screen, when not null
    } cases[] = {
        {"Esc in the list", {kKeyEsc}, nullptr, nullptr},
        {"Cancel to the question, then Esc", {kKeyF10, kKeyEsc, kKeyEsc}, "Grp + 1",
         "Are you sure you want to modify all selected records?"},
        {"a text into a number", {kKeyEnter, kKeyEsc, kKeyEsc}, "\"abc\"", "Incompatible expression type"},
        {"a formula that does not parse", {kKeyEnter, kKeyEsc, kKeyEsc}, "Grp +", nullptr},
        {"an edit dropped with Esc", {kKeyEsc, kKeyF10, kKeyEsc, kKeyEsc}, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        keys.screens.clear();
        keys.PushKey(kKeyAltM);
        if (c.formula != nullptr) TypeFormula(kLineGrp, c.formula);
        if (std::string(c.name) == "an edit dropped with Esc") {
            keys.PushKey(kKeyDown);
            keys.PushKey(kKeyEnter);
            keys.PushText("Grp + 5");
        }
        for (int key : c.keys) keys.PushKey(key);
        InGrid({});
        EXPECT_EQ(0, keys.Remaining());
        if (c.message != nullptr) {
            EXPECT_TRUE(keys.Saw(c.message));
        }
        EXPECT_EQ(before, EngineRecords("stock.dat"));
    }
}

// Esc during the run and OK to "Cancel Modify?" stops with the records so
// far changed; Cancel to it goes on to the end.
TEST_F(BulkDialogTest, EscDuringModifyAllAsksAndOkStopsWithTheRecordsDoneSoFar) {
    const struct {
        int answer;  // to "Cancel Modify?"
        int changed;
    } cases[] = {{kKeyEnter, 25}, {kKeyEsc, 90}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.changed);
        Reopen(90);
        keys.screens.clear();
        keys.PushKey(kKeyAltM);
        TypeFormula(kLineGrp, "Grp + 100");
        keys.PushKey(kKeyF10);
        keys.PushKey(kKeyEnter);
        // The run looks at one waiting event after each record: 24 that are
        // not Esc, then Esc after the 25th.
        for (int i = 0; i < 24; ++i) keys.PushTimeout();
        keys.PushKey(kKeyEsc);
        keys.PushKey(c.answer);
        InGrid({});
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_TRUE(keys.Saw("Cancel Modify?"));
        EXPECT_TRUE(keys.Saw("Modified: 25"));
        int changed = 0;
        for (const auto& [id, record] : EngineRecords("stock.dat")) {
            const bool done = ValueOf(*definition, "Grp", record) >= 100;
            changed += done ? 1 : 0;
            EXPECT_EQ(done, id < c.changed) << id << ": the scan runs in Id order";
        }
        EXPECT_EQ(c.changed, changed);
    }
}

// The formula entry's keys: F1 shows the expression help and gives the
// entry back, Insert puts a chosen field's name at the cursor.
TEST_F(BulkDialogTest, FormulaEntryHelpAndInsertFieldName) {
    Open(40);
    keys.PushKey(kKeyAltM);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyEnter);  // the Grp line
    keys.PushText("Grp + ");
    keys.PushKey(kKeyF1);
    keys.PushKey(kKeyEsc);     // leaves the help
    keys.PushKey(kKeyInsert);
    keys.PushKey(kKeyEnter);   // the first field of the pick list: Id
    keys.PushKey(kKeyEnter);   // accepts the formula
    keys.PushKey(kKeyF10);
    keys.PushKey(kKeyEnter);
    InGrid({});
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_TRUE(keys.Saw("Expression Evaluator"));
    EXPECT_TRUE(keys.Saw("Choose Field"));
    EXPECT_TRUE(keys.Saw("Grp: Grp + Id"));
    const auto after = EngineRecords("stock.dat");
    ASSERT_EQ(40u, after.size());
    for (const auto& [id, record] : after)
        EXPECT_EQ(ItemOf(id).grp + id, static_cast<int>(ValueOf(*definition, "Grp", record))) << id;
}

// The list holds the file's own fields up to the first calculated one.
TEST_F(BulkDialogTest, ModifyAllListStopsAtTheFirstCalculatedField) {
    Open(10);
    viewer->fields.Insert(2, FieldAttributes::Calculated("Twice", 10, "Grp * 2", 0));
    std::vector<std::string> names;
    for (const FieldAttributes* field : ModifiableFields(*viewer)) names.push_back(field->name.ToStdString());
    EXPECT_EQ((std::vector<std::string>{"Id", "Grp"}), names);
    keys.screens.clear();
    InGrid({kKeyAltM, kKeyEsc});
    std::string shown;
    for (const std::string& s : keys.screens)
        if (s.find("Modify All In View") != std::string::npos) shown = s;
    ASSERT_FALSE(shown.empty());
    auto line = [](const std::string& name) { return std::string(20 - name.size(), ' ') + name + ": "; };
    EXPECT_NE(std::string::npos, shown.find(line("Id")));
    EXPECT_NE(std::string::npos, shown.find(line("Grp")));
    for (const char* after : {"Twice", "Price", "Weight", "Cost", "Name"})
        EXPECT_EQ(std::string::npos, shown.find(line(after))) << after;
}

// --- totals --------------------------------------------------------------------------------

// The number on the totals form's line of field name, and the decimals it shows.
bool TotalShown(const std::string& screen, const std::string& name, long double& value, int& decimals) {
    const std::string label = " " + name + ": ";
    const size_t at = screen.find(label);
    if (at == std::string::npos) return false;
    const char* text = screen.c_str() + at + label.size();
    char* end = nullptr;
    value = std::strtold(text, &end);
    if (end == text) return false;
    const char* point = std::find(text, static_cast<const char*>(end), '.');
    decimals = point == end ? 0 : static_cast<int>(end - point - 1);
    return true;
}

TEST_F(BulkDialogTest, TotalsFromTheGridShowTheSumsOfTheRecordsInView) {
    Open(300);
    viewer->fields.Add(FieldAttributes::Calculated("Double", 10, "Price * 2", 2));
    viewer->setKeyNumber(-1);
    viewer->setFilter("Grp = 1 | Grp = 8");
    keys.PushKey(kKeyAltT);
    InGrid({});
    EXPECT_EQ(0, keys.Remaining());
    // The test's own sums over the records read straight from the engine.
    std::map<std::string, long double> sums;
    long long count = 0;
    for (const auto& [id, record] : EngineRecords("stock.dat")) {
        const long double grp = ValueOf(*definition, "Grp", record);
        if (grp != 1 && grp != 8) continue;
        ++count;
        for (const char* name : {"Id", "Grp", "Price", "Weight", "Cost"}) sums[name] += ValueOf(*definition, name, record);
        sums["Double"] += 2 * ValueOf(*definition, "Price", record);
    }
    ASSERT_GT(count, 20);
    std::string shown;
    for (const std::string& s : keys.screens)
        if (s.find("Totals for " + std::to_string(count) + " selected records") != std::string::npos) shown = s;
    ASSERT_FALSE(shown.empty()) << (keys.screens.empty() ? "" : keys.screens.back());
    EXPECT_NE(std::string::npos, shown.find("ESC=Close"));
    for (const auto& [name, sum] : sums) {
        SCOPED_TRACE(name);
        long double value = 0;
        int decimals = 0;
        ASSERT_TRUE(TotalShown(shown, name, value, decimals));
        EXPECT_NEAR(static_cast<double>(sum), static_cast<double>(value), 0.5 * std::pow(10.0, -decimals) + 1e-9);
    }
    // A Money field has no value to add up, and so no line.
    long double ignored;
    int decimals;
    EXPECT_FALSE(TotalShown(shown, "Legacy", ignored, decimals));
}

TEST_F(BulkDialogTest, TotalsCancelledShowNoWindow) {
    Open(80);
    const struct {
        int answer;  // to "Cancel totaling?"
        bool shown;
    } cases[] = {{kKeyEnter, false}, {kKeyEsc, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        keys.screens.clear();
        keys.PushKey(kKeyAltT);
        for (int i = 0; i < 9; ++i) keys.PushTimeout();
        keys.PushKey(kKeyEsc);
        keys.PushKey(c.answer);
        InGrid({});
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_TRUE(keys.Saw("Cancel totaling?"));
        EXPECT_TRUE(keys.Saw("Totaled: 10"));
        EXPECT_EQ(c.shown, keys.Saw("Totals for"));
        EXPECT_EQ(c.shown, keys.Saw("Totals for 80 selected records"));
    }
}

// An engine error during the scan shows the error and no totals.
TEST_F(BulkDialogTest, TotalsBrokenOffByAReadErrorShowTheErrorAndNoTotals) {
    Open(300);
    viewertest::CountingEngine engine;
    ASSERT_TRUE(engine.Ready());
    engine.FailAfter(kOpGetNext, 150, kStatusIoError);
    keys.screens.clear();
    InGrid({kKeyAltT});
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_TRUE(keys.Saw("Error totaling records"));
    EXPECT_TRUE(keys.Saw(statusText(kStatusIoError).ToStdString()));
    EXPECT_FALSE(keys.Saw("Totals for"));
}

// Types Esc while the Searching popup is up, on its tenth look at the input
// after the popup appeared: a user giving up on a long skip.
class EscDuringSearch : public viewertest::SnapshotInput {
public:
    explicit EscDuringSearch(const MemoryDisplay& display) : SnapshotInput(display), screen(display) {}
    bool Pending() override {
        if (!typed && viewertest::ScreenText(screen).find("Searching...") != std::string::npos) {
            sawSearching = true;
            if (++looks == 10) {
                PushKey(kKeyEsc);
                typed = true;
            }
        }
        return SnapshotInput::Pending();
    }
    bool sawSearching = false;
    bool typed = false;

private:
    const MemoryDisplay& screen;
    int looks = 0;
};

// Esc in the Searching popup of a totals scan ends the scan as the end of
// the view would: the totals of the records counted before it are shown.
TEST_F(BulkDialogTest, EscInTheSearchOfATotalsScanShowsTheTotalsSoFar) {
    constexpr int kCount = 3000;
    Open(kCount);
    viewer->setKeyNumber(0);
    viewer->setFilter("Id < 100 | Id > 2950");  // a long skip after the first hundred
    EscDuringSearch input(screen);
    InstallConsole(&screen, &input);
    input.PushKey(kKeyAltT);
    viewer->run(nullptr);
    InstallConsole(&screen, &keys);
    EXPECT_TRUE(input.sawSearching);
    EXPECT_TRUE(input.typed);
    EXPECT_FALSE(input.Saw("Cancel totaling?"));
    std::map<std::string, long double> sums;
    for (const auto& [id, record] : EngineRecords("stock.dat")) {
        if (id >= 100) continue;
        for (const char* name : {"Id", "Grp", "Price", "Weight", "Cost"}) sums[name] += ValueOf(*definition, name, record);
    }
    std::string shown;
    for (const std::string& s : input.screens)
        if (s.find("Totals for 100 selected records") != std::string::npos) shown = s;
    ASSERT_FALSE(shown.empty()) << (input.screens.empty() ? "" : input.screens.back());
    for (const auto& [name, sum] : sums) {
        SCOPED_TRACE(name);
        long double value = 0;
        int decimals = 0;
        ASSERT_TRUE(TotalShown(shown, name, value, decimals));
        EXPECT_NEAR(static_cast<double>(sum), static_cast<double>(value), 0.5 * std::pow(10.0, -decimals) + 1e-9);
    }
}

}  // namespace
