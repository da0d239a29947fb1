#include "viewer/RecordView.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "ViewerFixture.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "fields/FieldTypes.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"
#include "viewer/SaveChanges.h"

namespace {

using viewertest::CommandInput;
using viewertest::ScreenCells;
using viewertest::ScreenText;

// Parts records are 40 bytes, of which the dictionary describes the first
// 32; the last 8 are another program's and must survive every save.
constexpr const char* kPartsSchema = R"(
table Parts location parts.dat record 40
  field Id "Auto Increment" 4
  field Qty Integer 4
  field Made Date 4
  field Name String 20
  index 0 : Id
  index 1 modifiable : Name
)";
constexpr int kPartsLength = 40;
constexpr int kDescribed = 32;
enum Line { kIdLine = 0, kQtyLine = 1, kMadeLine = 2, kNameLine = 3 };

std::string PartName(int id) {
    std::string name = "Part " + std::to_string(id);
    name.resize(20, ' ');
    return name;
}

std::vector<uint8_t> PartRecord(int id) {
    std::vector<uint8_t> record(kPartsLength, 0);
    le::PutU32(&record[0], static_cast<uint32_t>(id));
    le::PutU32(&record[4], static_cast<uint32_t>(id * 10));
    const std::string name = PartName(id);
    std::memcpy(&record[12], name.data(), 20);
    for (int i = kDescribed; i < kPartsLength; ++i) record[static_cast<size_t>(i)] = static_cast<uint8_t>(0xA0 + i);
    return record;
}

// Keys that also let another program act at one point of the script: when
// as many keys remain as atRemaining, meanwhile() runs before the next read.
class KeysWithAnInterruption : public CommandInput {
public:
    using CommandInput::CommandInput;
    void Read(InputEvent& event, int timeoutMs) override {
        if (meanwhile && Remaining() == atRemaining) {
            auto act = std::move(meanwhile);
            meanwhile = nullptr;
            act();
        }
        CommandInput::Read(event, timeoutMs);
    }
    std::function<void()> meanwhile;
    int atRemaining = -1;
};

class RecordViewTest : public ::testing::Test {
protected:
    RecordViewTest() : screen(80, 25), keys(screen) {}
    ~RecordViewTest() override {
        viewer.reset();
        definition.reset();
        file.close();
    }

    // parts.dat with ids 1 .. count, and a viewer over it with the page filled.
    void Open(int count) {
        ASSERT_EQ(0, file.open("parts.dat"));
        for (int id = 1; id <= count; ++id) {
            std::vector<uint8_t> record = PartRecord(id);
            file.setDataLength(kPartsLength);
            ASSERT_EQ(0, file.insertRecord(record.data()));
        }
        tableRecord = viewertest::GridDatabase::TableRecord("Parts");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("parts.dat"), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->run(nullptr);
    }

    // As ViewerFixture::RunScript: true when the keys were used up exactly.
    bool RunScript() {
        const int dry = keys.DryReads();
        const int key = viewer->run(nullptr);
        return key == kKeyEsc && keys.Remaining() == 0 && keys.DryReads() == dry + 1;
    }

    // The records as stored, read through a second handle on the file.
    static std::vector<std::string> Stored() {
        BtrieveFile reader;
        EXPECT_EQ(0, reader.open("parts.dat"));
        return viewertest::EngineRecords(reader);
    }

    // Keys that open the value editor on line of the record view and type
    // text (the first character typed replaces the value; an empty text
    // selects the value and deletes it).
    void TypeInto(int line, const char* text) {
        for (int i = 0; i < line; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);
        if (*text == 0) {
            keys.PushKey(kKeyEnd);
            keys.PushKey(kKeyShiftHome);
            keys.PushKey(kKeyDelete);
        }
        keys.PushText(text);
        keys.PushKey(kKeyEnter);
    }

    const FieldAttributes& Field(int line) { return *viewer->fields.Get(line); }

    viewertest::GridDatabase database{kPartsSchema};
    MemoryDisplay screen;
    KeysWithAnInterruption keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// Every edit written reaches the file as FieldFromText would write the typed
// text, and nothing else of the record moves, the undescribed tail included.
TEST_F(RecordViewTest, EditThenF10WritesTheFieldAndKeepsEveryOtherByte) {
    struct Case {
        int line;
        const char* text;
    } cases[] = {
        {kQtyLine, "55"}, {kQtyLine, "-7"}, {kMadeLine, "02/28/2023"}, {kMadeLine, "02/29/2024"},
        {kNameLine, "Renamed part"}, {kMadeLine, ""},
    };
    Open(3);
    const std::vector<std::string> before = Stored();
    ASSERT_EQ(3u, before.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " on line " + std::to_string(c.line));
        const std::vector<std::string> was = Stored();
        keys.PushKey(kKeyEnter);  // grid cursor on id 1
        TypeInto(c.line, c.text);
        keys.PushKey(kKeyF10);
        EXPECT_TRUE(RunScript());
        EXPECT_FALSE(keys.Saw("Save changes?"));
        std::vector<std::string> now = Stored();
        ASSERT_EQ(3u, now.size());
        std::vector<uint8_t> expected(was[0].begin(), was[0].end());
        ASSERT_TRUE(FieldFromText(Field(c.line), expected.data(), kPartsLength, c.text));
        EXPECT_EQ(Bytes(expected), now[0]);
        EXPECT_EQ(was[1], now[1]);
        EXPECT_EQ(was[2], now[2]);
        EXPECT_EQ(before[0].substr(kDescribed), now[0].substr(kDescribed));
    }
}

TEST_F(RecordViewTest, F10WithoutAChangeWritesNothing) {
    Open(2);
    const std::vector<std::string> before = Stored();
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // the editor on Id ...
    keys.PushKey(kKeyEnter);  // ... taken back as it was
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_FALSE(keys.Saw("Save changes?"));
    EXPECT_EQ(before, Stored());
}

// Esc after an edit asks; Discard leaves the file as it was and the lines
// show the stored value again; Cancel keeps the edit open for F10.
TEST_F(RecordViewTest, EscAfterAnEditAsksAndDiscardWritesNothing) {
    Open(2);
    const std::vector<std::string> before = Stored();
    keys.PushKey(kKeyEnter);
    TypeInto(kQtyLine, "4321");
    keys.PushKey(kKeyEsc);  // "Save changes?"
    keys.PushKey(kKeyTab);  // OK -> Discard
    keys.PushKey(kKeyEnter);
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Save changes?"));
    EXPECT_EQ(before, Stored());
    EXPECT_EQ(std::string::npos, ScreenText(screen).find("4321"));
}

TEST_F(RecordViewTest, CancelKeepsTheEditAndF10ThenSavesIt) {
    Open(2);
    keys.PushKey(kKeyEnter);
    TypeInto(kQtyLine, "4321");
    keys.PushKey(kKeyEsc);  // "Save changes?"
    keys.PushKey(kKeyEsc);  // Cancel
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Save changes?"));
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(2u, now.size());
    EXPECT_EQ(4321, static_cast<int>(le::GetU32(reinterpret_cast<const uint8_t*>(now[0].data()) + 4)));
}

TEST_F(RecordViewTest, EscAfterAnEditWithOkSaves) {
    Open(2);
    keys.PushKey(kKeyEnter);
    TypeInto(kQtyLine, "77");
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyEnter);  // OK
    EXPECT_TRUE(RunScript());
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(2u, now.size());
    EXPECT_EQ(77, static_cast<int>(le::GetU32(reinterpret_cast<const uint8_t*>(now[0].data()) + 4)));
}

// A text the field cannot take is refused with a message naming the field;
// the editor opens again with the text typed; nothing reaches the buffer, so
// Esc afterwards leaves without asking and the file is as it was.
TEST_F(RecordViewTest, RefusedValuesShowTheirMessageAndStoreNothing) {
    struct Case {
        int line;
        const char* text;
        const char* message;
    } cases[] = {
        {kQtyLine, "12x", "Invalid value for Qty"},
        {kQtyLine, "99999999999", "Invalid value for Qty"},
        {kQtyLine, "1-2", "Invalid value for Qty"},
        {kMadeLine, "02/30/2023", "Invalid value for Made"},
        {kMadeLine, "13/45/2020", "Invalid value for Made"},
        {kMadeLine, "02/29/2023", "Invalid value for Made"},
        {kMadeLine, "tomorrow", "Invalid value for Made"},
        {kMadeLine, "1/257/2020", "Invalid value for Made"},  // would be cut to 1/1/2020
        {kMadeLine, "1/1/65537", "Invalid value for Made"},   // would be cut to year 1
        {kIdLine, "3.5", "Invalid value for Id"},
    };
    Open(2);
    const std::vector<std::string> before = Stored();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        keys.screens.clear();
        keys.PushKey(kKeyEnter);
        TypeInto(c.line, c.text);
        keys.PushKey(kKeyEnter);  // OK on the message
        keys.PushKey(kKeyEsc);    // leaves the editor opened again
        keys.PushKey(kKeyEsc);    // leaves the record view: nothing changed, no question
        EXPECT_TRUE(RunScript());
        EXPECT_TRUE(keys.Saw(c.message));
        EXPECT_FALSE(keys.Saw("Save changes?"));
        // The editor came back with the typed text: on the screen read for the second Esc.
        ASSERT_GE(keys.screens.size(), 3u);
        const std::string& reopened = keys.screens[keys.screens.size() - 3];
        EXPECT_NE(std::string::npos, reopened.find(c.text)) << reopened;
        EXPECT_EQ(before, Stored());
    }
}

// Insert from a copy: the auto-increment field is zeroed, so the engine
// numbers the new record instead of refusing a duplicate of the copied id.
TEST_F(RecordViewTest, InsertLikeCurrentZeroesTheAutoIncrementField) {
    Open(3);
    keys.PushKey(kKeyF5);  // a copy of id 1
    TypeInto(kNameLine, "Copied part");
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw(" Insert New Record "));
    EXPECT_TRUE(keys.Saw(": 0\n") || keys.Saw(": 0 "));  // the Id line before the save
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(4u, now.size());
    std::vector<uint8_t> expected = PartRecord(1);
    le::PutU32(expected.data(), 4);
    std::string name = "Copied part";
    name.resize(20, ' ');
    std::memcpy(&expected[12], name.data(), 20);
    EXPECT_EQ(Bytes(expected), now[3]);
}

// Ctrl-Insert on the grid is insert-like-current too: a copy of the cursor
// record (here the second), its auto-increment field zeroed for the engine.
TEST_F(RecordViewTest, CtrlInsertCopiesTheCursorRecordWithTheAutoIncrementZeroed) {
    Open(3);
    keys.PushKey(kKeyDown);        // id 2
    keys.PushKey(kKeyCtrlInsert);
    TypeInto(kNameLine, "Second copy");
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw(" Insert New Record "));
    EXPECT_TRUE(keys.Saw("  Qty: 20"));  // the copied values ...
    EXPECT_TRUE(keys.Saw("   Id: 0"));   // ... but no id
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(4u, now.size());
    std::vector<uint8_t> expected = PartRecord(2);
    le::PutU32(expected.data(), 4);
    std::string name = "Second copy";
    name.resize(20, ' ');
    std::memcpy(&expected[12], name.data(), 20);
    EXPECT_EQ(Bytes(expected), now[3]);
    EXPECT_EQ(Bytes(PartRecord(2)), now[1]);
}

// Alt-H on a field of the file opens that field's bytes alone; what is
// typed there stays in the buffer when Esc closes it, the lines show it,
// and the record view's own question then saves it.
TEST_F(RecordViewTest, AltHOnAFieldEditsItsBytesAndTheRecordViewSavesThem) {
    Open(2);
    const std::vector<std::string> before = Stored();
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyDown);  // Qty: 10, bytes 0A 00 00 00
    keys.PushKey(kKeyAltH);
    for (char c : std::string("0102")) keys.PushKey(c);
    keys.PushKey(kKeyEsc);   // the field's hex view: closes at once, keeping
    keys.PushKey(kKeyEsc);   // the record view: "Save changes?"
    keys.PushKey(kKeyEnter); // OK
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw(" Qty "));      // the hex view's title
    EXPECT_TRUE(keys.Saw("0000: 0A 00 00 00"));
    EXPECT_FALSE(keys.Saw("0004:"));     // four bytes: the field, not the record
    EXPECT_TRUE(keys.Saw("  Qty: 513"));  // 0x0201, on the rebuilt line
    EXPECT_TRUE(keys.Saw("Save changes?"));
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(2u, now.size());
    std::vector<uint8_t> expected = PartRecord(1);
    expected[4] = 0x01;
    expected[5] = 0x02;
    EXPECT_EQ(Bytes(expected), now[0]);
    EXPECT_EQ(before[1], now[1]);
}

// "+" or "-" after an edit asks first: OK writes the edit and moves, Discard
// moves without writing, Cancel stays on the record. Which record the next
// edit (saved with F10) lands on shows where the view went. Each case types
// values of its own, so that every edit is a change.
TEST_F(RecordViewTest, PlusOrMinusAfterAnEditAsksAndEachAnswerActs) {
    enum Lands { kNowhere, kOnFirst, kOnSecond };
    struct Case {
        const char* name;
        int startRow;
        int key;
        std::vector<int> answer;
        bool firstSaved;  // the first edit written to the record of startRow
        Lands second;     // where the second edit went
    } cases[] = {
        {"OK", 0, '+', {kKeyEnter}, true, kOnSecond},
        {"Discard", 0, '+', {kKeyTab, kKeyEnter}, false, kOnSecond},
        {"Cancel", 0, '+', {kKeyEsc}, false, kOnFirst},
        {"OK backwards", 1, '-', {kKeyEnter}, true, kOnSecond},
        {"Discard backwards", 2, '-', {kKeyTab, kKeyEnter}, false, kOnSecond},
    };
    Open(3);
    int value = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> was = Stored();
        ASSERT_EQ(3u, was.size());
        const int firstValue = ++value, secondValue = ++value;
        keys.screens.clear();
        keys.PushKey(kKeyHome);  // the grid's cursor stays on the record written last
        for (int i = 0; i < c.startRow; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);
        TypeInto(kQtyLine, std::to_string(firstValue).c_str());
        keys.PushKey(c.key);
        for (int k : c.answer) keys.PushKey(k);
        TypeInto(0, std::to_string(secondValue).c_str());  // still on the Qty line
        keys.PushKey(kKeyF10);
        EXPECT_TRUE(RunScript());
        EXPECT_TRUE(keys.Saw("Save changes?"));
        const std::vector<std::string> now = Stored();
        ASSERT_EQ(3u, now.size());
        const size_t first = static_cast<size_t>(c.startRow);
        const size_t moved = c.key == '+' ? first + 1 : first - 1;
        std::vector<std::string> expected = was;
        auto setQty = [&](size_t i, int qty) {
            le::PutU32(reinterpret_cast<uint8_t*>(&expected[i][4]), static_cast<uint32_t>(qty));
        };
        if (c.firstSaved) setQty(first, firstValue);
        if (c.second == kOnFirst) setQty(first, secondValue);
        if (c.second == kOnSecond) setQty(moved, secondValue);
        EXPECT_EQ(expected, now);
    }
}

// The field lines: every name right-aligned in a column one wider than the
// longest, ": " and the value; the value editor covers the line from the
// value's column to column 70 and no further.
TEST_F(RecordViewTest, FieldLinesAlignTheNamesAndTheEditorSpansTheValueColumns) {
    Open(1);
    std::vector<Cell> listed, editing;
    int cursor[2] = {-1, -1};
    auto copy = [this](std::vector<Cell>& cells) {
        cells.clear();
        for (int y = 0; y < screen.Height(); ++y)
            for (int x = 0; x < screen.Width(); ++x) cells.push_back(screen.At(x, y));
    };
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyEnter);  // the editor on Qty
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyEsc);
    keys.atRemaining = 4;  // the record view, before the Down
    keys.meanwhile = [&] {
        copy(listed);
        keys.atRemaining = 2;  // the editor, before its Esc
        keys.meanwhile = [&] {
            copy(editing);
            cursor[0] = screen.CursorX();
            cursor[1] = screen.CursorY();
        };
    };
    EXPECT_TRUE(RunScript());
    ASSERT_EQ(static_cast<size_t>(80 * 25), listed.size());
    ASSERT_EQ(listed.size(), editing.size());
    auto at = [](const std::vector<Cell>& cells, int x, int y) { return cells[static_cast<size_t>(y * 80 + x)]; };
    auto rowText = [&](const std::vector<Cell>& cells, int y) {
        std::string text;
        for (int x = 0; x < 80; ++x) text += static_cast<char>(at(cells, x, y).ch);
        return text;
    };

    // The window is 76 wide and centred: its list starts at column 3.
    constexpr int kList = 3;
    const std::string lines[] = {"   Id: 1", "  Qty: 10", " Made: ", " Name: Part 1"};
    int first = -1;
    for (int y = 0; y < 25 && first < 0; ++y)
        if (rowText(listed, y).compare(kList, 8, lines[0]) == 0) first = y;
    ASSERT_GE(first, 0) << rowText(listed, 10);
    for (int i = 0; i < 4; ++i) {
        const std::string row = rowText(listed, first + i);
        EXPECT_EQ(lines[i], row.substr(kList, lines[i].size())) << row;
        EXPECT_EQ(':', row[kList + 5]) << row;
    }
    // The current line (Id) across the whole list width, the others plain.
    for (int x = kList; x < kList + kRecordViewWidth - 2; ++x) {
        EXPECT_EQ(0x3F, at(listed, x, first).attr) << x;
        EXPECT_EQ(kRecordViewAttribute, at(listed, x, first + 1).attr) << x;
    }

    // The editor on the Qty line: value column 7 of the list to column 70.
    const int y = first + 1;
    const int valueColumn = kList + 7;
    const std::string row = rowText(editing, y);
    EXPECT_EQ("  Qty: 10", row.substr(kList, 9)) << row;
    EXPECT_EQ(std::string(kValueEditorEnd - 7 - 1, ' '), row.substr(static_cast<size_t>(valueColumn + 2),
                                                                     static_cast<size_t>(kValueEditorEnd - 7 - 1)));
    EXPECT_EQ(0x3F, at(editing, valueColumn - 1, y).attr);
    for (int x = valueColumn + 2; x <= kList + kValueEditorEnd; ++x) EXPECT_EQ(0x30, at(editing, x, y).attr) << x;
    EXPECT_NE(0x3F, at(editing, valueColumn, y).attr);  // the value itself is in the editor too
    EXPECT_EQ(0x3F, at(editing, kList + kValueEditorEnd + 1, y).attr);
    EXPECT_EQ(y, cursor[1]);
    EXPECT_GE(cursor[0], valueColumn);
    EXPECT_LE(cursor[0], kList + kValueEditorEnd);
}

// A refused insert reports the engine's status text and keeps the view open
// with the values typed; a corrected value then goes in.
TEST_F(RecordViewTest, DuplicateKeyOnInsertKeepsTheValues) {
    Open(2);
    keys.PushKey(kKeyF5);
    TypeInto(kQtyLine, "999");  // the Name stays that of id 1: a duplicate in index 1
    keys.PushKey(kKeyF10);
    keys.PushKey(kKeyEnter);  // OK on "Error inserting record"
    TypeInto(kNameLine, "Unique part");
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Error inserting record"));
    EXPECT_TRUE(keys.Saw("Duplicate"));
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(3u, now.size());
    const uint8_t* added = reinterpret_cast<const uint8_t*>(now[2].data());
    EXPECT_EQ(3u, le::GetU32(added));
    EXPECT_EQ(999u, le::GetU32(added + 4));
    EXPECT_EQ("Unique part", now[2].substr(12, 11));
}

// An empty view hands every key back to the caller after handling it: the
// grid's run ends with 0 (and is run again) once the record view is closed.
TEST_F(RecordViewTest, InsertOnAnEmptyFileTitlesTheViewAndIgnoresPlusMinus) {
    Open(0);
    const std::string grid = ScreenCells(screen);
    keys.PushKey(kKeyInsert);
    keys.PushKey('+');
    keys.PushKey('-');
    keys.PushKey(kKeyEsc);  // nothing typed: no question
    const int dry = keys.DryReads();
    EXPECT_EQ(0, viewer->run(nullptr));
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_EQ(dry, keys.DryReads());
    EXPECT_TRUE(keys.Saw(" Insert New Record "));
    EXPECT_FALSE(keys.Saw("Save changes?"));
    EXPECT_TRUE(Stored().empty());
    EXPECT_EQ(grid, ScreenCells(screen));
}

// "+" and "-" go through the records in view; one past the last stays.
TEST_F(RecordViewTest, PlusAndMinusMoveThroughTheRecords) {
    Open(3);
    keys.PushKey(kKeyEnter);
    keys.PushKey('+');
    keys.PushKey('+');
    keys.PushKey('+');  // no fourth record: still id 3
    keys.PushKey('-');
    TypeInto(kQtyLine, "5");
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(3u, now.size());
    EXPECT_EQ(Bytes(PartRecord(1)), now[0]);
    EXPECT_EQ(5u, le::GetU32(reinterpret_cast<const uint8_t*>(now[1].data()) + 4));
    EXPECT_EQ(Bytes(PartRecord(3)), now[2]);
}

TEST_F(RecordViewTest, TheRecordViewAndTheQuestionGiveTheScreenBack) {
    Open(2);
    const std::string grid = ScreenCells(screen);
    keys.PushKey(kKeyEnter);
    TypeInto(kQtyLine, "8");
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyEsc);  // Cancel: back in the record view
    keys.PushKey(kKeyEsc);
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyEnter);  // Discard
    EXPECT_TRUE(RunScript());
    EXPECT_EQ(grid, ScreenCells(screen)) << ScreenText(screen);
}

// Another program writes the record between its reading and the save: the
// update is refused with the engine's status, the view stays open with the
// edit, and Ctrl-R (offered on the bottom line) reloads the record as stored.
TEST_F(RecordViewTest, ARecordChangedMeanwhileIsRefusedAndCanBeReloaded) {
    Open(2);
    keys.PushKey(kKeyEnter);
    TypeInto(kQtyLine, "55");
    keys.PushKey(kKeyF10);    // refused
    keys.PushKey(kKeyEnter);  // OK on "Error updating record"
    keys.PushKey(kKeyCtrlR);
    keys.PushKey(kKeyEnter);  // OK: discard the edit and reload
    keys.PushKey(kKeyEsc);    // nothing left to save: no question
    std::vector<uint8_t> theirs = PartRecord(1);
    le::PutU32(&theirs[4], 999);
    keys.atRemaining = 5;  // just before the F10
    keys.meanwhile = [&] {
        BtrieveFile other;
        ASSERT_EQ(0, other.open("parts.dat"));
        std::vector<uint8_t> record(kPartsLength);
        uint8_t key[256] = {};
        other.setDataLength(kPartsLength);
        ASSERT_EQ(0, other.getFirst(key, record.data(), 0));
        other.setDataLength(kPartsLength);
        ASSERT_EQ(0, other.updateRecord(theirs.data(), 0));
    };
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Error updating record"));
    EXPECT_TRUE(keys.Saw("80: Record Level Conflict"));
    EXPECT_TRUE(keys.Saw("Ctrl-R=Reload"));
    EXPECT_TRUE(keys.Saw("Qty: 999"));
    EXPECT_FALSE(keys.Saw("Save changes?"));
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(2u, now.size());
    EXPECT_EQ(Bytes(theirs), now[0]);
}

// The record is deleted meanwhile: the refusal names the status, the edit
// stays on the screen, and Discard leaves without writing anything.
TEST_F(RecordViewTest, ARecordDeletedMeanwhileIsReportedAndNothingIsWritten) {
    Open(2);
    keys.PushKey(kKeyEnter);
    TypeInto(kQtyLine, "55");
    keys.PushKey(kKeyF10);    // refused
    keys.PushKey(kKeyEnter);  // OK on "Error updating record"
    keys.PushKey(kKeyEsc);    // "Save changes?"
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyEnter);  // Discard
    keys.atRemaining = 5;
    keys.meanwhile = [&] {
        BtrieveFile other;
        ASSERT_EQ(0, other.open("parts.dat"));
        std::vector<uint8_t> record(kPartsLength);
        uint8_t key[256] = {};
        other.setDataLength(kPartsLength);
        ASSERT_EQ(0, other.getFirst(key, record.data(), 0));
        ASSERT_EQ(0, other.deleteRecord(0));
    };
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Error updating record"));
    EXPECT_TRUE(keys.Saw("8: Invalid Positioning"));
    EXPECT_TRUE(keys.Saw("Qty: 55"));
    EXPECT_TRUE(keys.Saw("Save changes?"));
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(1u, now.size());
    EXPECT_EQ(Bytes(PartRecord(2)), now[0]);
}

// After a write the grid shows the file again with its cursor on the record
// written: on the same row when its place in the order is kept, and followed
// to its new place when the edit moved it in the grid's index.
TEST_F(RecordViewTest, TheGridCursorStaysOnTheRecordWritten) {
    Open(12);
    for (int i = 0; i < 5; ++i) keys.PushKey(kKeyDown);  // id 6
    keys.PushKey(kKeyEnter);
    TypeInto(kQtyLine, "66");
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_EQ(5, viewer->cursorRow());
    EXPECT_NE(std::string::npos, viewer->row(5).text.ToStdString().find("66")) << viewer->row(5).text.Text();

    // In Name order ("Part 1", "Part 10", "Part 11", "Part 12", "Part 2", ...) id 1
    // renamed "Part 9z" goes after "Part 9": the last row.
    viewer->keyNumber = 1;
    viewer->restartAtFirst();
    keys.PushKey(kKeyEnter);  // row 0: id 1
    TypeInto(kNameLine, "Part 9z");
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    ASSERT_EQ(12, viewer->rowCount());
    EXPECT_EQ(11, viewer->cursorRow());
    EXPECT_NE(std::string::npos, viewer->row(11).text.ToStdString().find("Part 9z")) << viewer->row(11).text.Text();

    // An inserted record: the cursor is on it too.
    keys.PushKey(kKeyInsert);
    TypeInto(kNameLine, "Part 0");
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_EQ(13u, Stored().size());
    ASSERT_GE(viewer->rowCount(), 1);
    EXPECT_NE(std::string::npos, viewer->row(viewer->cursorRow()).text.ToStdString().find("Part 0 "))
        << viewer->row(viewer->cursorRow()).text.Text();
}

// The length a save sends: the fixed length at least, a Note's text and its
// zero byte when a Note ends the record, the length read at least for any
// other variable-length record; never past the buffer.
TEST(RecordSaveLengthTest, FloorsNotesAndTheLengthRead) {
    auto field = [](const char* name, uint8_t type, int offset, int length) {
        return FieldAttributes::FromDictionary(name, type, static_cast<uint16_t>(offset),
                                               static_cast<uint16_t>(length), 0, 1, 0);
    };
    std::vector<uint8_t> record(200, 'x');
    std::memcpy(&record[8], "abc", 4);  // the Note's text and its zero byte
    struct Case {
        const char* name;
        bool noteFirst;      // the Note's column comes before Id's
        bool withNote;       // else a String at 8 .. 28 ends the record
        bool variable;
        int bufferLength;
        int fixedLength;
        int readLength;
        int expected;
    } cases[] = {
        {"fixed: the record length", false, false, false, 40, 40, 40, 40},
        {"fixed, fields past the floor", false, false, false, 200, 20, 20, 28},
        {"short Note, longer record read", false, true, true, 200, 8, 150, 12},
        {"Note listed first still ends the record", true, true, true, 200, 8, 150, 12},
        {"Note shorter than the fixed part", false, true, true, 200, 30, 150, 30},
        {"variable without a Note keeps the length read", false, false, true, 200, 8, 150, 150},
        {"never past the buffer", false, false, true, 100, 8, 150, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FieldList fields;
        auto id = field("Id", kTypeInteger, 0, 4);
        auto text = c.withNote ? field("Memo", kTypeNote, 8, 180) : field("Title", kTypeString, 8, 20);
        if (c.noteFirst) {
            fields.Add(std::move(text));
            fields.Add(std::move(id));
        } else {
            fields.Add(std::move(id));
            fields.Add(std::move(text));
        }
        // A calculated column last: it has no bytes and ends nothing.
        fields.Add(FieldAttributes::Calculated(Estring("Twice"), 8, Estring("Id * 2"), 0));
        EXPECT_EQ(c.expected, RecordSaveLength(fields, record.data(), c.bufferLength, c.variable, c.fixedLength,
                                               c.readLength));
    }
    // A Note with no zero byte ends with the buffer.
    FieldList fields;
    fields.Add(field("Memo", kTypeNote, 8, 180));
    std::vector<uint8_t> full(100, 'y');
    EXPECT_EQ(100, RecordSaveLength(fields, full.data(), 100, true, 8, 50));
}

// Tab walks OK, Discard, Cancel; the screen underneath comes back each time.
TEST(SaveChangesTest, AnswersAndGivesTheScreenBack) {
    MemoryDisplay screen(80, 25);
    ScriptedInput keys;
    InstallConsole(&screen, &keys);
    for (int y = 0; y < 25; ++y) {
        uint8_t chars[80], attrs[80];
        for (int x = 0; x < 80; ++x) {
            chars[x] = static_cast<uint8_t>('a' + (x + y) % 26);
            attrs[x] = static_cast<uint8_t>(x + y);
        }
        screen.WriteChars(0, y, chars, 80);
        screen.WriteAttributes(0, y, attrs, 80);
    }
    const std::string before = ScreenCells(screen);
    struct Case {
        std::vector<int> keys;
        int answer;
    } cases[] = {
        {{kKeyEnter}, kSaveAnswerOk},
        {{kKeyTab, kKeyEnter}, kSaveAnswerDiscard},
        {{kKeyEsc}, kSaveAnswerCancel},
        {{kKeyTab, kKeyTab, kKeyEnter}, kSaveAnswerCancel},
    };
    for (const Case& c : cases) {
        for (int k : c.keys) keys.PushKey(k);
        EXPECT_EQ(c.answer, askSaveChanges());
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_EQ(before, ScreenCells(screen));
    }
    InstallConsole(nullptr, nullptr);
}

// A table with more fields than a low screen has lines: the record view keeps
// its frame and title on the screen and scrolls its list, so that the line
// being edited is always in sight, the first at opening and the last after
// moving down to it.
TEST(RecordViewOnALowScreen, TheWindowFitsTheScreenAndTheCurrentLineStaysInSight) {
    std::string schema = "table Tall location tall.dat\n";
    for (int i = 1; i <= 12; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "  field F%02d Integer 2\n", i);
        schema += line;
    }
    schema += "  index 0 : F01\n";
    viewertest::GridDatabase database{schema.c_str()};
    MemoryDisplay screen(80, 10);
    viewertest::SnapshotInput keys(screen);
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    ASSERT_EQ(0, file.open("tall.dat"));
    std::vector<uint8_t> record(24, 0);
    for (int i = 0; i < 12; ++i) le::PutU16(&record[static_cast<size_t>(2 * i)], static_cast<uint16_t>(i + 1));
    file.setDataLength(24);
    ASSERT_EQ(0, file.insertRecord(record.data()));
    std::vector<uint8_t> tableRecord = viewertest::GridDatabase::TableRecord("Tall");
    DictionaryDef definition(tableRecord.data(), Estring("tall.dat"), &file);
    ASSERT_TRUE(definition.valid);
    {
        FileViewer viewer(&file, definition, 2, 8);
        viewer.run(nullptr);
        keys.PushKey(kKeyEnter);
        for (int i = 0; i < 11; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEsc);  // leaves the record view
        EXPECT_EQ(kKeyEsc, viewer.run(nullptr));  // the dry script ends the grid
    }
    // Reads: the grid, the record view at opening, after each Down, the grid again.
    ASSERT_GE(keys.screens.size(), 14u);
    const std::string& opened = keys.screens[keys.screens.size() - 13];
    const std::string& atLast = keys.screens[keys.screens.size() - 2];
    EXPECT_NE(std::string::npos, opened.find(" Record View ")) << opened;
    EXPECT_NE(std::string::npos, opened.find(" F01: 1 ")) << opened;
    EXPECT_NE(std::string::npos, atLast.find(" F12: 12 ")) << atLast;
    EXPECT_NE(std::string::npos, atLast.find(" Record View ")) << atLast;
    EXPECT_NE(std::string::npos, atLast.find("F10=Done")) << atLast;
    file.close();
}

}  // namespace
