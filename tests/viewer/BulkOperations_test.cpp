#include "viewer/BulkOperations.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <map>
#include <set>

#include "BulkTestSupport.h"
#include "GridTestSupport.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"
#include "viewer/SortRestrict.h"

namespace {

using bulktest::EngineRecords;
using bulktest::Item;
using bulktest::ItemOf;
using bulktest::ScriptedControl;
using bulktest::ValueOf;
using viewertest::SnapshotInput;

using BulkTest = bulktest::StockFixture;

// --- delete all --------------------------------------------------------------------------

TEST_F(BulkTest, DeleteAllRemovesExactlyTheRecordsInView) {
    const struct {
        const char* name;
        int key;
        const char* filter;
        std::vector<Estring> from, to;
        bool (*inView)(const Item&);
    } cases[] = {
        {"filter accepts nothing", 0, "Id < 0", {}, {}, [](const Item&) { return false; }},
        {"range on Id", 0, "", {"40"}, {"59"}, [](const Item& i) { return i.id >= 40 && i.id <= 59; }},
        {"filter in physical order", -1, "Grp = 3", {}, {}, [](const Item& i) { return i.grp == 3; }},
        {"range and filter", 2, "Id % 2 = 0", {"4"}, {"6"},
         [](const Item& i) { return i.grp >= 4 && i.grp <= 6 && i.id % 2 == 0; }},
        {"everything", 1, "", {}, {}, [](const Item&) { return true; }},
    };
    constexpr int kCount = 300;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reopen(kCount);
        if (c.key != viewer->keyNumber) viewer->setKeyNumber(c.key);
        if (!c.from.empty()) Range(c.key, c.from, c.to);
        viewer->setFilter(c.filter);
        ScriptedControl control;
        const BulkResult result = DeleteAllRecords(*viewer, control);
        std::set<int> expected;
        for (int id = 0; id < kCount; ++id)
            if (!c.inView(ItemOf(id))) expected.insert(id);
        std::set<int> left;
        for (const auto& [id, record] : EngineRecords("stock.dat")) left.insert(id);
        EXPECT_EQ(expected, left);
        EXPECT_EQ(kCount - static_cast<long long>(expected.size()), result.done);
        EXPECT_EQ(result.done, control.lastCount);
        EXPECT_EQ(0, result.refused);
        EXPECT_EQ(9, result.endStatus);
        EXPECT_FALSE(result.stopped);
    }
}

TEST_F(BulkTest, DeleteAllOnAReadOnlyFileCountsNothingAndAsksOnce) {
    Open(50, -2);  // read-only
    for (bool goOn : {true, false}) {
        SCOPED_TRACE(goOn ? "go on" : "stop");
        ScriptedControl control;
        control.goOn = goOn;
        const BulkResult result = DeleteAllRecords(*viewer, control);
        EXPECT_EQ(0, result.done);
        EXPECT_EQ(1, control.refusals);
        EXPECT_EQ("Error deleting record", control.refusedWords.ToStdString());
        EXPECT_NE(0, control.refusedStatus);
        EXPECT_EQ(goOn ? 50 : 1, result.refused);
        EXPECT_EQ(!goOn, result.stopped);
        EXPECT_EQ(0, control.lastCount);
        EXPECT_EQ(50u, EngineRecords("stock.dat").size());
    }
}

TEST_F(BulkTest, DeleteAllStoppedKeepsTheRest) {
    Open(200);
    ScriptedControl control;
    control.stopAt = 30;
    const BulkResult result = DeleteAllRecords(*viewer, control);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(30, result.done);
    const auto left = EngineRecords("stock.dat");
    ASSERT_EQ(170u, left.size());
    EXPECT_EQ(30, left.begin()->first);  // key 0 order: ids 0 to 29 went
}

// --- modify all --------------------------------------------------------------------------

TEST_F(BulkTest, ModifyAllWithEmptyFormulasWritesEveryRecordUnchanged) {
    Open(120);
    const auto before = EngineRecords("stock.dat");
    ScriptedControl control;
    const BulkResult result = ModifyAllRecords(*viewer, Formulas({{"Price", ""}, {"Name", "  "}}), control);
    EXPECT_EQ(120, result.done);
    EXPECT_EQ(120, control.lastCount);
    EXPECT_EQ(0, result.passedOver);
    EXPECT_EQ(before, EngineRecords("stock.dat"));
}

TEST_F(BulkTest, ModifyAllChangesTheFilteredRecordsInFormulaOrder) {
    Open(300);
    Range(2, {"2"}, {"5"});
    viewer->setFilter("Id % 3 = 0");
    ScriptedControl control;
    // Grp is a key segment of the view's index; Name sees the new Grp; a
    // failing formula (division of a string) leaves Weight alone.
    const BulkResult result = ModifyAllRecords(
        *viewer, Formulas({{"Grp", "Grp + 10"}, {"Name", "\"G\" + STR(Grp)"}, {"Weight", "Name / 2"}}), control);
    const auto after = EngineRecords("stock.dat");
    long long expectedChanged = 0;
    for (const auto& [id, record] : after) {
        const Item item = ItemOf(id);
        const bool inView = item.grp >= 2 && item.grp <= 5 && id % 3 == 0;
        expectedChanged += inView ? 1 : 0;
        SCOPED_TRACE(id);
        EXPECT_EQ(inView ? item.grp + 10 : item.grp, static_cast<int>(ValueOf(*definition, "Grp", record)));
        const std::string name = FieldToText(*definition->Find("Name"), record.data(), 48, false).Trim().ToStdString();
        EXPECT_EQ(inView ? "G" + std::to_string(item.grp + 10) : "N" + std::to_string(id), name);
        EXPECT_EQ(item.weight, static_cast<double>(ValueOf(*definition, "Weight", record)));
    }
    EXPECT_EQ(expectedChanged, result.done);
    EXPECT_GT(expectedChanged, 20);
}

// Every record moves to the end of the index, so the run ends with all of them
// met again; Esc must be heard there too, not only after writes.
TEST_F(BulkTest, ModifyAllHearsEscWhilePassingOverRecordsItWrote) {
    constexpr int kCount = 200;
    Open(kCount);
    viewer->setKeyNumber(1);  // by Price
    struct EscAfter : ScriptedControl {
        int asked = 0;
        bool StopRequested() override { return ++asked == kCount + 5; }
    } control;
    const BulkResult result = ModifyAllRecords(*viewer, Formulas({{"Price", "Price + 100000"}}), control);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(1, control.stopQuestions);
    EXPECT_EQ(kCount, result.done);
    EXPECT_EQ(5, result.passedOver);
    for (const auto& [id, record] : EngineRecords("stock.dat"))
        EXPECT_GT(static_cast<double>(ValueOf(*definition, "Price", record)), 100000.0) << id;
}

// Update with key number -1 leaves the scan at the record's old place in the
// index; a record the formula moves further on must not be changed again.
TEST_F(BulkTest, ModifyAllOnTheSortKeyChangesEachRecordOnce) {
    constexpr int kCount = 100000;
    Open(kCount);
    viewer->setKeyNumber(1);  // by Price
    ScriptedControl control;
    const auto started = std::chrono::steady_clock::now();
    const BulkResult result = ModifyAllRecords(*viewer, Formulas({{"Price", "Price * 1.1"}}), control);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("modify all of %d records sorted by the changed key: %.2f s, %.0f records/s, %lld met again\n",
                kCount, seconds, kCount / seconds, result.passedOver);
    EXPECT_EQ(kCount, result.done);
    EXPECT_EQ(0, result.commitStatus);
    const auto after = EngineRecords("stock.dat");
    ASSERT_EQ(static_cast<size_t>(kCount), after.size());
    int wrong = 0;
    for (const auto& [id, record] : after) {
        const long long cents = std::llround(ValueOf(*definition, "Price", record) * 100);
        if (cents != ItemOf(id).priceCents * 11 / 10 && ++wrong <= 5) ADD_FAILURE() << id << ": " << cents;
    }
    EXPECT_EQ(0, wrong);
}

TEST_F(BulkTest, ModifyAllStoppedKeepsWhatWasDone) {
    const struct {
        bool confirm;
        long long done;
    } cases[] = {{true, 25}, {false, 80}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.confirm);
        Reopen(80);
        ScriptedControl control;
        control.stopAt = 25;
        control.confirm = c.confirm;
        const BulkResult result = ModifyAllRecords(*viewer, Formulas({{"Grp", "Grp + 100"}}), control);
        EXPECT_EQ(1, control.stopQuestions);
        EXPECT_EQ(c.confirm, result.stopped);
        EXPECT_EQ(c.done, result.done);
        int changed = 0;
        for (const auto& [id, record] : EngineRecords("stock.dat")) {
            const int grp = static_cast<int>(ValueOf(*definition, "Grp", record));
            if (grp >= 100) {
                ++changed;
                EXPECT_LT(id, c.done) << "key 0 order: the first records were changed";
            }
        }
        EXPECT_EQ(c.done, changed);
    }
}

TEST_F(BulkTest, ModifyAllOnAReadOnlyFileAsksPerRecordAndStopsOnCancel) {
    Open(10, -2);
    ScriptedControl control;
    control.goOn = true;
    BulkResult result = ModifyAllRecords(*viewer, Formulas({{"Grp", "1"}}), control);
    EXPECT_EQ(0, result.done);
    EXPECT_EQ(10, result.refused);
    EXPECT_EQ(10, control.refusals);
    EXPECT_EQ("Error updating record", control.refusedWords.ToStdString());
    control = ScriptedControl();
    control.goOn = false;
    result = ModifyAllRecords(*viewer, Formulas({{"Grp", "1"}}), control);
    EXPECT_EQ(1, control.refusals);
    EXPECT_TRUE(result.stopped);
}

TEST_F(BulkTest, FormulaCheckGivesTheFormulasMessageOrIncompatibleType) {
    Open(5);
    const struct {
        const char* field;
        const char* formula;
        const char* error;  // "" when accepted; "*" for any formula message
    } cases[] = {
        {"Price", "Price * 2", ""},        {"Price", "", ""},
        {"Grp", "\"abc\"", "Incompatible expression type"},
        {"Name", "Id + 1", "Incompatible expression type"},
        {"Grp", "Id +", "*"},              {"Grp", "(Grp + 1", "*"},
        {"Name", "\"x\" + Name", ""},      {"Grp", "40000", "Incompatible expression type"},
    };
    const std::vector<uint8_t> before(viewer->recordBuffer.get(), viewer->recordBuffer.get() + 48);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.formula);
        Estring error;
        CheckFieldFormula(*viewer, *viewer->fields.Find(c.field), c.formula, error);
        if (std::string(c.error) == "*") {
            EXPECT_FALSE(error.IsEmpty());
            EXPECT_NE("Incompatible expression type", error.ToStdString());
        } else {
            EXPECT_EQ(c.error, error.ToStdString());
        }
    }
    EXPECT_EQ(before, std::vector<uint8_t>(viewer->recordBuffer.get(), viewer->recordBuffer.get() + 48));
}

// --- totals ------------------------------------------------------------------------------

TEST_F(BulkTest, TotalsEqualTheSumsOfTheRecordsInView) {
    Open(400);
    viewer->fields.Add(FieldAttributes::Calculated("Double", 10, "Price * 2", 2));
    viewer->fields.Add(FieldAttributes::Calculated("Label", 10, "\"x\" + Name", 0));
    const struct {
        const char* name;
        int key;
        const char* filter;
        std::vector<Estring> from, to;
    } cases[] = {
        {"all", 0, "", {}, {}},
        {"filter", -1, "Grp = 4 | Grp = 7", {}, {}},
        {"range", 0, "", {"100"}, {"149"}},
        {"nothing", 0, "Id < 0", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        viewer->setKeyNumber(c.key);
        if (!c.from.empty()) Range(c.key, c.from, c.to);
        viewer->setFilter(c.filter);
        // The test's own sums over the records read straight from the engine.
        std::map<std::string, long double> sums;
        long long count = 0;
        for (const auto& [id, record] : EngineRecords("stock.dat")) {
            const Item item = ItemOf(id);
            const bool inView = std::string(c.name) == "all" ||
                                (std::string(c.name) == "filter" && (item.grp == 4 || item.grp == 7)) ||
                                (std::string(c.name) == "range" && id >= 100 && id <= 149);
            if (!inView) continue;
            ++count;
            sums["Id"] += id;
            sums["Grp"] += item.grp;
            sums["Price"] += item.priceCents / 100.0L;
            sums["Weight"] += item.weight;
            sums["Cost"] += item.costUnits / 10000.0L;
            sums["Double"] += item.priceCents / 50.0L;
        }
        ScriptedControl control;
        const ViewTotals totals = TotalRecords(*viewer, control);
        EXPECT_TRUE(totals.Complete());
        EXPECT_EQ(count, totals.count);
        std::vector<std::string> names;
        for (const FieldTotal& total : totals.fields) {
            names.push_back(total.name.ToStdString());
            ASSERT_TRUE(total.total.IsNumber()) << total.name.Text();
            EXPECT_NEAR(static_cast<double>(sums[total.name.ToStdString()]), static_cast<double>(total.total.AsReal()),
                        1e-6)
                << total.name.Text();
        }
        // Money is stored but not converted, and a text formula has no total,
        // even when no record was read to see it.
        EXPECT_EQ((std::vector<std::string>{"Id", "Grp", "Price", "Weight", "Cost", "Double"}), names);
        viewer->rangeActive = 0;
    }
}

TEST_F(BulkTest, TotalsTextsTitleAndLines) {
    Open(4);  // ids 0..3
    ScriptedControl control;
    const ViewTotals totals = TotalRecords(*viewer, control);
    ASSERT_TRUE(totals.Complete());
    EXPECT_EQ(" Totals for 4 selected records ", TotalsTitle(totals).ToStdString());
    const std::vector<Estring> lines = TotalsLines(totals);
    ASSERT_EQ(5u, lines.size());
    // Groups 0, 7, 4, 1; prices 0.10, 3.80, 7.50, 11.20; weights 0, 0.25,
    // 0.5, 0.75; costs 0, 1.2345, 2.469, 3.7035. Whole numbers have no
    // places, Float the general form, Currency its four places (expectation
    // changed from 7.41: a Currency total had been cut to two places).
    EXPECT_EQ(std::string(18, ' ') + "Id: 6", lines[0].ToStdString());
    EXPECT_EQ(std::string(17, ' ') + "Grp: 12", lines[1].ToStdString());
    EXPECT_EQ(std::string(15, ' ') + "Price: 22.60", lines[2].ToStdString());
    EXPECT_EQ(std::string(14, ' ') + "Weight: 1.5", lines[3].ToStdString());
    EXPECT_EQ(std::string(16, ' ') + "Cost: 7.4070", lines[4].ToStdString());
}

// The field's own decimal places count where the user gave them (Float) and
// where the type has them (Decimal); never for Currency or whole numbers.
TEST_F(BulkTest, TotalsTextsFollowTheFieldsDecimalPlaces) {
    Open(4);
    viewer->fields.Add(FieldAttributes::Calculated("Half", 10, "Id / 2", 3));
    viewer->fields.Add(FieldAttributes::Calculated("Quarter", 10, "Weight * 0.5", -1));
    for (const char* name : {"Id", "Weight", "Cost"}) viewer->fields.Find(name)->decimals = 3;
    ScriptedControl control;
    const ViewTotals totals = TotalRecords(*viewer, control);
    ASSERT_TRUE(totals.Complete());
    std::map<std::string, std::string> texts;
    for (const FieldTotal& total : totals.fields) texts[total.name.ToStdString()] = total.Text().ToStdString();
    EXPECT_EQ("6", texts["Id"]);
    EXPECT_EQ("1.500", texts["Weight"]);
    EXPECT_EQ("7.4070", texts["Cost"]);
    EXPECT_EQ("22.60", texts["Price"]);
    EXPECT_EQ("3.000", texts["Half"]);  // 0 + 0.5 + 1 + 1.5
    EXPECT_EQ("0.75", texts["Quarter"]);  // general form
}

TEST_F(BulkTest, TotalsCancelledGiveNothingToShow) {
    Open(60);
    ScriptedControl control;
    control.stopAt = 10;
    ViewTotals totals = TotalRecords(*viewer, control);
    EXPECT_TRUE(totals.cancelled);
    EXPECT_FALSE(totals.Complete());
    control = ScriptedControl();
    control.stopAt = 10;
    control.confirm = false;
    totals = TotalRecords(*viewer, control);
    EXPECT_TRUE(totals.Complete());
    EXPECT_EQ(60, totals.count);
}

}  // namespace

namespace {

// Records whose length follows their Note: a formula that makes the note
// longer or shorter must be stored whole, and the record written with the
// length of its new text.
class BulkNoteTest : public ::testing::Test {
protected:
    BulkNoteTest() : screen(80, 25), keys(screen) {}
    ~BulkNoteTest() override {
        viewer.reset();
        definition.reset();
        file.close();
    }

    static std::string TextOf(int id) { return "T" + std::string(static_cast<size_t>(id % 7) * 5, 'a' + id % 26); }

    void Open(int count) {
        {
            BtrieveFile writer;
            ASSERT_EQ(0, writer.open("memo.dat"));
            for (int i = 0; i < count; ++i) {
                const int id = (i * 13) % count;
                uint8_t record[512] = {};
                le::PutU32(record, static_cast<uint32_t>(id));
                const std::string text = TextOf(id);
                std::memcpy(record + 4, text.data(), text.size());
                writer.setDataLength(static_cast<uint16_t>(4 + text.size() + 1));
                ASSERT_EQ(0, writer.insertRecord(record));
            }
        }
        ASSERT_EQ(0, file.open("memo.dat"));
        tableRecord = viewertest::GridDatabase::TableRecord("Memo");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("memo.dat"), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->run(nullptr);
    }

    // Every record by id as stored: its length and its text.
    std::map<int, std::pair<int, std::string>> Stored() {
        std::map<int, std::pair<int, std::string>> stored;
        BtrieveFile reader;
        if (reader.open("memo.dat") != 0) return stored;
        uint8_t record[4096], key[256];
        reader.setDataLength(sizeof record);
        for (int s = reader.stepFirst(record, key); s == 0; s = reader.stepNext(record, key)) {
            const int length = reader.dataLength();
            const char* text = reinterpret_cast<const char*>(record + 4);
            stored[static_cast<int>(le::GetU32(record))] = {length, std::string(text, strnlen(text, length - 4))};
            reader.setDataLength(sizeof record);
        }
        return stored;
    }

    bulktest::StockDatabase database;
    MemoryDisplay screen;
    SnapshotInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

TEST_F(BulkNoteTest, ModifyAllStoresNotesThatGrowOrShrinkWhole) {
    Open(60);
    // The formula check gives a note the room the run gives it: up to the field's length.
    const struct {
        std::string formula;
        const char* error;
    } checks[] = {
        {"Text + \" checked by the bulk run\"", ""},
        {"\"" + std::string(299, 'z') + "\"", ""},
        {"\"" + std::string(300, 'z') + "\"", "Incompatible expression type"},
    };
    for (const auto& c : checks) {
        Estring error;
        CheckFieldFormula(*viewer, *viewer->fields.Find("Text"), Estring(c.formula.c_str()), error);
        EXPECT_EQ(c.error, error.ToStdString()) << c.formula.size();
    }
    const struct {
        const char* formula;
        std::string (*expected)(const std::string& before);
    } cases[] = {
        {"Text + \" checked by the bulk run\"", [](const std::string& t) { return t + " checked by the bulk run"; }},
        {"\"x\"", [](const std::string&) { return std::string("x"); }},
        {"\"y\" + Text", [](const std::string& t) { return "y" + t; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        const auto before = Stored();
        ASSERT_EQ(60u, before.size());
        ScriptedControl control;
        const BulkResult result =
            ModifyAllRecords(*viewer, {FieldFormula{viewer->fields.Find("Text"), c.formula}}, control);
        EXPECT_EQ(60, result.done);
        const auto after = Stored();
        ASSERT_EQ(60u, after.size());
        for (const auto& [id, stored] : after) {
            const std::string expected = c.expected(before.at(id).second);
            EXPECT_EQ(expected, stored.second) << id;
            EXPECT_EQ(static_cast<int>(4 + expected.size() + 1), stored.first) << id;
        }
    }
}

}  // namespace
