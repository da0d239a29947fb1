#include "viewer/FieldSelection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "GridTestSupport.h"
#include "expr/ExpressionEvaluator.h"
#include "fields/FieldCodec.h"
#include "ui/KeyCodes.h"
#include "viewer/ChooseField.h"
#include "viewer/FileViewer.h"

namespace {

using viewertest::ScratchDir;
using viewertest::ScreenText;
using viewertest::SnapshotInput;

constexpr int kKeyCtrlPadPlus = 1144;
constexpr int kKeyCtrlPadMinus = 1142;

std::string WideSchema() {
    std::ostringstream text;
    text << "table Wide location wide.dat\n";
    for (int i = 1; i <= 40; ++i) text << "  field F" << (i < 10 ? "0" : "") << i << " Integer 4\n";
    text << "  index 0 : F01\n";
    return text.str();
}

const std::string kLinesSchema = R"(
table Lines location lines.dat
  field Id Integer 4
  field Qty Integer 2
  field UnitPrice Float 8
  field Weight BFloat 4
  field Name String 20
  index 0 : Id
)" + WideSchema();

constexpr int kRecords = 30;
int QtyOf(int id) { return id % 7 + 1; }
double PriceOf(int id) { return 2.5 * (id + 1); }

class FieldSelectionTest : public ::testing::Test {
protected:
    FieldSelectionTest() : screen(80, 25), keys(screen) {}
    ~FieldSelectionTest() override {
        viewer.reset();
        definition.reset();
        file.close();
    }

    void OpenLines() {
        ASSERT_EQ(0, file.open("lines.dat"));
        for (int id = 0; id < kRecords; ++id) {
            std::vector<uint8_t> record(static_cast<size_t>(file.dataLength()), 0);
            le::PutU32(&record[0], static_cast<uint32_t>(id));
            le::PutU16(&record[4], static_cast<uint16_t>(QtyOf(id)));
            const double price = PriceOf(id);
            std::memcpy(&record[6], &price, 8);
            DoubleToMbfSingle(id * 0.5, &record[14]);
            std::string name = "Line " + std::to_string(id);
            name.resize(20, ' ');
            std::memcpy(&record[18], name.data(), 20);
            file.setDataLength(static_cast<uint16_t>(record.size()));
            ASSERT_EQ(0, file.insertRecord(record.data()));
        }
        Open("Lines", "lines.dat");
    }

    void Open(const char* table, const char* path) {
        if (!file.isOpen()) {
            ASSERT_EQ(0, file.open(path));
        }
        tableRecord = viewertest::GridDatabase::TableRecord(table);
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring(path), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 0, 25);
    }

    FieldAttributes& Field(const char* name) {
        FieldAttributes* field = viewer->fields.Find(name);
        EXPECT_NE(nullptr, field) << name;
        return *field;
    }

    // Runs the grid over the keys given, then Esc.
    void RunGrid(std::initializer_list<int> script) {
        for (int key : script) keys.PushKey(key);
        keys.PushKey(kKeyEsc);
        EXPECT_EQ(27, viewer->run(nullptr));
    }

    // The column of the row text that field i of the selected fields occupies.
    std::string Column(const Estring& text, const char* name) {
        int start = 0;
        for (int i = 0; i < viewer->fields.Count(); ++i) {
            const FieldAttributes& field = *viewer->fields.Get(i);
            if (!field.selected) continue;
            const int width = std::abs(field.width);
            if (field.name == name) return text.ToStdString().substr(static_cast<size_t>(start), static_cast<size_t>(width));
            start += width + 1;
        }
        ADD_FAILURE() << "no column " << name;
        return std::string();
    }

    viewertest::GridDatabase database{kLinesSchema.c_str()};
    MemoryDisplay screen;
    SnapshotInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

TEST_F(FieldSelectionTest, FieldSettingsStoresWidthWithItsSignAndDecimalsOfRealsOnly) {
    OpenLines();
    const struct {
        const char* field;
        const char* width;
        const char* decimals;  // null: no decimal places entry
        int key;               // Enter or Esc
        int expectedWidth;     // 0: unchanged
        int expectedDecimals;  // -1: unchanged
    } cases[] = {
        {"Qty", "1", nullptr, kKeyEnter, 2, -1},
        {"Name", "1", nullptr, kKeyEnter, -2, -1},
        {"Name", "0", nullptr, kKeyEnter, -2, -1},
        {"Name", "25", nullptr, kKeyEnter, -25, -1},
        {"Id", "-7", nullptr, kKeyEnter, 2, -1},
        {"Qty", "12", nullptr, kKeyEnter, 12, -1},
        {"UnitPrice", "30", "4", kKeyEnter, 30, 4},
        {"Weight", "1", "3", kKeyEnter, 2, 3},
        {"UnitPrice", "9", "7", kKeyEsc, 0, -1},
    };
    for (const auto& c : cases) {
        FieldAttributes& field = Field(c.field);
        const int oldWidth = field.width;
        const int oldDecimals = field.decimals;
        const std::string before = ScreenText(screen);
        keys.screens.clear();
        keys.PushText(c.width);
        if (c.decimals != nullptr) {
            keys.PushKey(kKeyTab);
            keys.PushText(c.decimals);
        }
        keys.PushKey(c.key);
        EXPECT_EQ(c.key == kKeyEnter, editFieldSettings(field)) << c.field << " " << c.width;
        ASSERT_FALSE(keys.screens.empty());
        EXPECT_NE(std::string::npos, keys.screens[0].find(" Field Settings ")) << c.field;
        EXPECT_NE(std::string::npos, keys.screens[0].find("Width:")) << c.field;
        EXPECT_EQ(c.decimals != nullptr, keys.screens[0].find("Decimal Places:") != std::string::npos) << c.field;
        EXPECT_EQ(c.expectedWidth == 0 ? oldWidth : c.expectedWidth, field.width) << c.field << " " << c.width;
        EXPECT_EQ(c.expectedDecimals < 0 ? oldDecimals : c.expectedDecimals, field.decimals) << c.field;
        EXPECT_EQ(before, ScreenText(screen)) << "screen not given back after " << c.field;
        EXPECT_EQ(0, keys.Remaining());
    }
}

TEST_F(FieldSelectionTest, CalculatedFieldWidthIsAtLeastItsName) {
    OpenLines();
    const struct {
        const char* name;
        const char* width;
        int expected;
    } cases[] = {
        {"TotalPrice", "5", 10}, {"TotalPrice", "-5", -10}, {"TotalPrice", "12", 12},
        {"TotalPrice", "-12", -12}, {"TotalPrice", "0", 10}, {"T", "1", 1},
    };
    for (const auto& c : cases) {
        auto field = FieldAttributes::Calculated("NewField", 0, Estring(), 2);
        field->owner = &viewer->fields;
        const std::string before = ScreenText(screen);
        keys.PushText(c.name);
        keys.PushKey(kKeyTab);
        keys.PushText("Qty * UnitPrice");
        keys.PushKey(kKeyTab);
        keys.PushText(c.width);
        keys.PushKey(kKeyTab);
        keys.PushText("3");
        keys.PushKey(kKeyEnter);
        ASSERT_TRUE(editCalculatedField(*field, viewer->recordBuffer.get(), viewer->currentRecordLength()));
        EXPECT_EQ(c.name, field->name.ToStdString());
        EXPECT_EQ("Qty * UnitPrice", field->formula.ToStdString());
        EXPECT_EQ(c.expected, field->width) << c.name << " " << c.width;
        EXPECT_EQ(3, field->decimals);
        EXPECT_EQ(before, ScreenText(screen));
    }
    // Any other field is refused at once, without a dialog.
    const std::string before = ScreenText(screen);
    EXPECT_FALSE(editCalculatedField(Field("Qty"), nullptr, 0));
    EXPECT_EQ(before, ScreenText(screen));
}

TEST_F(FieldSelectionTest, BadFormulaKeepsTheDialogOpen) {
    OpenLines();
    auto field = FieldAttributes::Calculated("NewField", 0, Estring(), 2);
    field->owner = &viewer->fields;
    keys.PushKey(kKeyTab);
    keys.PushText("Qty +");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);  // the "Bad formula" box
    keys.PushText(" 1");    // still in the formula entry of the same dialog
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(editCalculatedField(*field, viewer->recordBuffer.get(), viewer->currentRecordLength()));
    EXPECT_TRUE(keys.Saw("Bad formula"));
    EXPECT_EQ("Qty + 1", field->formula.ToStdString());
    EXPECT_EQ(8, field->width);  // the width of "NewField"

    // Esc after a bad formula changes nothing.
    keys.PushKey(kKeyTab);
    keys.PushText("SQRT(");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(editCalculatedField(*field, viewer->recordBuffer.get(), viewer->currentRecordLength()));
    EXPECT_EQ("Qty + 1", field->formula.ToStdString());

    // A formula that reaches the field itself, through another calculated field, never gives a value.
    FieldAttributes* twice = viewer->fields.Add(FieldAttributes::Calculated("Twice", 0, "Qty * 2", 2));
    viewer->fields.Add(FieldAttributes::Calculated("Thrice", 0, "Twice + Qty", 2));
    keys.screens.clear();
    keys.PushKey(kKeyTab);
    keys.PushText("Thrice - 1");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(editCalculatedField(*twice, viewer->recordBuffer.get(), viewer->currentRecordLength()));
    EXPECT_TRUE(keys.Saw("Bad formula"));
    EXPECT_EQ("Qty * 2", twice->formula.ToStdString());

    // Another field's name is refused: a formula naming it would read the first of the two.
    keys.screens.clear();
    keys.PushText("qty");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // the message
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(editCalculatedField(*twice, viewer->recordBuffer.get(), viewer->currentRecordLength()));
    EXPECT_TRUE(keys.Saw("There is already a field named qty"));
    EXPECT_EQ("Twice", twice->name.ToStdString());
}

TEST_F(FieldSelectionTest, InsertPutsAFieldNameIntoTheFormula) {
    OpenLines();
    auto field = FieldAttributes::Calculated("Gross", 0, Estring(), 2);
    field->owner = &viewer->fields;
    keys.PushKey(kKeyTab);
    keys.PushText(" * 2");
    keys.PushKey(kKeyHome);
    keys.PushKey(kKeyInsert);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyDown);  // Id, Qty, UnitPrice
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(editCalculatedField(*field, viewer->recordBuffer.get(), viewer->currentRecordLength()));
    EXPECT_TRUE(keys.Saw(" Choose Field "));
    EXPECT_EQ("UnitPrice * 2", field->formula.ToStdString());
    // Insert outside the formula entry inserts nothing.
    keys.PushKey(kKeyInsert);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(editCalculatedField(*field, viewer->recordBuffer.get(), viewer->currentRecordLength()));
    EXPECT_EQ("Gross", field->name.ToStdString());
}

TEST_F(FieldSelectionTest, EscKeepsTheOldColumnsAndF10AppliesTheMarks) {
    OpenLines();
    RunGrid({});
    const std::string header = viewer->headerLine(2).ToStdString();
    const std::string grid = ScreenText(screen);
    ASSERT_NE(std::string::npos, header.find("Qty"));

    RunGrid({kKeyAltF, kKeySpace, kKeyDown, kKeySpace, kKeyAltN, kKeyEsc});
    EXPECT_TRUE(keys.Saw(" Field Selection "));
    EXPECT_TRUE(keys.Saw("Field                                     Type                Width"));
    EXPECT_TRUE(keys.Saw(" ESC=Cancel  ENTER=Edit Field  F10=Done  Space  Ctrl +- "));
    EXPECT_TRUE(keys.Saw("*Qty" + std::string(39, ' ') + "Integer(2)" + std::string(10, ' ') + "6"));
    EXPECT_EQ(header, viewer->headerLine(2).ToStdString());
    EXPECT_EQ(grid, ScreenText(screen));
    for (int i = 0; i < viewer->fields.Count(); ++i) EXPECT_TRUE(viewer->fields.Get(i)->selected);

    // Down, Space on Qty, F10: its column leaves the header and the rows.
    RunGrid({kKeyAltF, kKeyDown, kKeySpace, kKeyF10});
    EXPECT_FALSE(Field("Qty").selected);
    EXPECT_EQ(std::string::npos, viewer->headerLine(2).ToStdString().find("Qty"));
    EXPECT_EQ(std::string::npos, screen.RowText(2).find("Qty"));
    EXPECT_NE(std::string::npos, screen.RowText(2).find("UnitPrice"));
    EXPECT_EQ(viewer->headerLine(2).Length(), viewer->row(0).text.Length() - 1);

    // Every field deselected: an empty header and empty lines.
    RunGrid({kKeyAltF, kKeyCtrlPadMinus, kKeyF10});
    EXPECT_TRUE(viewer->headerLine(2).IsEmpty());
    ASSERT_GT(viewer->rowCount(), 0);
    for (int i = 0; i < viewer->rowCount(); ++i) EXPECT_TRUE(viewer->row(i).text.IsEmpty());
    for (int y = 1; y < 24; ++y) EXPECT_EQ(std::string(78, ' '), screen.RowText(y).substr(1, 78)) << y;

    // Alt-A selects every field again; Ctrl-keypad-plus as well.
    RunGrid({kKeyAltF, kKeyAltA, kKeyF10});
    EXPECT_EQ(header, viewer->headerLine(2).ToStdString());
    RunGrid({kKeyAltF, kKeyAltN, kKeyCtrlPadPlus, kKeyF10});
    EXPECT_EQ(header, viewer->headerLine(2).ToStdString());
    // F10 without a change reports none.
    keys.PushKey(kKeyF10);
    EXPECT_FALSE(selectFields(*viewer));
}

TEST_F(FieldSelectionTest, AddedCalculatedColumnShowsItsValuesAndStaysAfterEsc) {
    OpenLines();
    // Insert, name, formula, width 5, OK; then Esc in Field Selection.
    keys.PushKey(kKeyAltF);
    keys.PushKey(kKeyInsert);
    keys.PushText("TotalPrice");
    keys.PushKey(kKeyTab);
    keys.PushText("Qty * UnitPrice");
    keys.PushKey(kKeyTab);
    keys.PushText("5");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyEsc);
    EXPECT_EQ(27, viewer->run(nullptr));
    ASSERT_EQ(6, viewer->fields.Count());
    FieldAttributes& total = *viewer->fields.Get(5);
    EXPECT_EQ("TotalPrice", total.name.ToStdString());
    EXPECT_EQ(10, total.width);
    EXPECT_TRUE(total.selected);
    EXPECT_EQ(&viewer->fields, total.owner);
    EXPECT_TRUE(keys.Saw("TotalPrice" + std::string(32, ' ') + "Calculated"));
    EXPECT_NE(std::string::npos, viewer->headerLine(2).ToStdString().find("TotalPrice"));
    auto valueAt = [&](int row) {
        const int id = static_cast<int>(viewer->row(row).text.ToInt());
        const double shown = std::atof(Column(viewer->row(row).text, "TotalPrice").c_str());
        return std::make_pair(shown, QtyOf(id) * PriceOf(id));
    };
    ASSERT_GT(viewer->rowCount(), 5);
    for (int row = 0; row < viewer->rowCount(); ++row) {
        const auto [shown, expected] = valueAt(row);
        EXPECT_NEAR(expected, shown, 0.005) << row;
    }
    // One compiled program for the column, however many rows were drawn.
    auto evaluator = std::dynamic_pointer_cast<const ExpressionEvaluator>(viewer->fields.GetFormulaEvaluator());
    ASSERT_NE(nullptr, evaluator);
    EXPECT_EQ(1, evaluator->CachedCount());

    // A new formula through Enter: the column follows it, the compiled program is not stale.
    RunGrid({kKeyAltF, kKeyEnd, kKeyEnter});
    for (int row = 0; row < viewer->rowCount(); ++row) {
        const auto [shown, expected] = valueAt(row);
        EXPECT_NEAR(expected, shown, 0.005) << row;  // Esc in the formula dialog kept it
    }
    keys.PushKey(kKeyAltF);
    keys.PushKey(kKeyEnd);
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyTab);
    keys.PushText("Qty * 100");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyF10);
    keys.PushKey(kKeyEsc);
    EXPECT_EQ(27, viewer->run(nullptr));
    for (int row = 0; row < viewer->rowCount(); ++row) {
        const int id = static_cast<int>(viewer->row(row).text.ToInt());
        EXPECT_NEAR(QtyOf(id) * 100.0, std::atof(Column(viewer->row(row).text, "TotalPrice").c_str()), 0.005);
    }
    EXPECT_EQ(1, evaluator->CachedCount());

    // Insert then Cancel adds nothing.
    keys.PushKey(kKeyInsert);
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(selectFields(*viewer));
    EXPECT_EQ(6, viewer->fields.Count());
}

TEST_F(FieldSelectionTest, FortyFieldsScrollInSixteenRows) {
    Open("Wide", "wide.dat");
    ASSERT_EQ(40, viewer->fields.Count());
    const std::string before = ScreenText(screen);
    keys.PushKey(kKeyEnd);
    keys.PushKey(kKeySpace);
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(selectFields(*viewer));
    EXPECT_EQ(before, ScreenText(screen));  // the caller redraws the grid
    EXPECT_FALSE(viewer->fields.Get(39)->selected);
    for (int i = 0; i < 39; ++i) EXPECT_TRUE(viewer->fields.Get(i)->selected);
    ASSERT_GE(keys.screens.size(), 3u);
    auto rowsWith = [](const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(16, rowsWith(keys.screens[0], "Integer(4)"));
    EXPECT_NE(std::string::npos, keys.screens[0].find("*F01 "));
    EXPECT_EQ(std::string::npos, keys.screens[0].find("F40 "));
    // After End: the last sixteen, F40 among them and F01 gone.
    EXPECT_EQ(16, rowsWith(keys.screens[1], "Integer(4)"));
    EXPECT_NE(std::string::npos, keys.screens[1].find("*F40 "));
    EXPECT_NE(std::string::npos, keys.screens[1].find("*F25 "));
    EXPECT_EQ(std::string::npos, keys.screens[1].find("*F01 "));
    EXPECT_NE(std::string::npos, keys.screens[2].find(" F40 "));  // the mark went with Space
}

// Insert in Field Selection opens Add Calculated Field on a field named NewField; OK with only a
// formula typed adds it under that name, as wide as the name.
TEST_F(FieldSelectionTest, InsertAddsACalculatedFieldNamedNewField) {
    OpenLines();
    keys.PushKey(kKeyInsert);
    keys.PushKey(kKeyTab);
    keys.PushText("Qty * 2");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(selectFields(*viewer));
    EXPECT_TRUE(keys.Saw(" Add Calculated Field "));
    EXPECT_TRUE(keys.Saw("Field Name : NewField"));
    ASSERT_EQ(6, viewer->fields.Count());
    const FieldAttributes& added = *viewer->fields.Get(5);
    EXPECT_EQ("NewField", added.name.ToStdString());
    EXPECT_EQ("Qty * 2", added.formula.ToStdString());
    EXPECT_TRUE(added.IsCalculated());
    EXPECT_TRUE(added.selected);
    EXPECT_EQ(8, added.width);
    EXPECT_TRUE(keys.Saw("NewField" + std::string(34, ' ') + "Calculated"));
}

// Choose Field over forty fields: sixteen rows at a time, scrolling with the cursor.
TEST_F(FieldSelectionTest, ChooseFieldScrollsAListLongerThanItsRows) {
    Open("Wide", "wide.dat");
    ASSERT_EQ(40, viewer->fields.Count());
    auto rowsWith = [](const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    auto shows = [](const std::string& text, int field) {
        char name[8];
        std::snprintf(name, sizeof name, "F%02d", field);
        return text.find(name + std::string(39, ' ') + "Integer(4)") != std::string::npos;
    };
    const struct {
        const char* name;
        std::vector<int> keys;
        const char* chosen;
        int firstShown;  // the sixteen rows shown before Enter begin here
    } cases[] = {
        {"Enter at once", {}, "F01", 1},
        {"Down 20", std::vector<int>(20, kKeyDown), "F21", 6},
        {"End", {kKeyEnd}, "F40", 25},
        {"End, Home", {kKeyEnd, kKeyHome}, "F01", 1},
        {"Page Down", {kKeyPageDown}, "F17", 17},
    };
    for (const auto& c : cases) {
        keys.screens.clear();
        for (int key : c.keys) keys.PushKey(key);
        keys.PushKey(kKeyEnter);
        Estring name;
        ASSERT_TRUE(chooseField(viewer->fields, name)) << c.name;
        EXPECT_EQ(c.chosen, name.ToStdString()) << c.name;
        ASSERT_FALSE(keys.screens.empty()) << c.name;
        EXPECT_NE(std::string::npos, keys.screens.front().find(" Choose Field ")) << c.name;
        EXPECT_EQ(16, rowsWith(keys.screens.front(), "Integer(4)")) << c.name;
        const std::string& last = keys.screens.back();
        EXPECT_EQ(16, rowsWith(last, "Integer(4)")) << c.name;
        for (int field = 1; field <= 40; ++field)
            EXPECT_EQ(field >= c.firstShown && field < c.firstShown + 16, shows(last, field))
                << c.name << ": F" << field;
    }
}

}  // namespace
