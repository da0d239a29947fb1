// Every field type through the record view and back: a value typed into the
// editor and saved with F10 reaches the file exactly as FieldFromText stores
// that text, and nothing else of the record moves. Types the codec does not
// convert refuse the text and the file keeps its bytes. The sizes include
// those of the demo database's fields.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "ViewerFixture.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"

namespace {

using viewertest::CommandInput;

constexpr const char* kKindsSchema = R"(
table Kinds location kinds.dat
  field Id       "Auto Increment" 4
  field Str30    String 30
  field Int1     Integer 1
  field Int2     Integer 2
  field Int4     Integer 4
  field Int8     Integer 8
  field Float82  Float 8 2
  field Float43  Float 4 3
  field Float104 Float 10 4
  field Float41  Float 4 1
  field Day      Date
  field Clock    Time
  field Dec72    Decimal 7 2
  field Dec82    Decimal 8 2
  field Dec42    Decimal 4 2
  field Cash     Money 6
  field Flag     Logical
  field Flag2    Logical 2
  field Count    Numeric 6
  field BFloat82 BFloat 8 2
  field BFloat42 BFloat 4 2
  field City     LString 26
  field Country  ZString 20
  field Byte     Unsigned 1
  field Word     Unsigned 2
  field DWord    Unsigned 4
  field QWord    Unsigned 8
  field Gone     Bit
  field Signed   NumericSTS 6
  field Trailing NumericSA 6
  field Credit   Currency
  index 0 modifiable : Id
table Memos location memos.dat
  field Id   Integer 4
  field Memo Note 2000
  index 0 : Id
table Blobs location blobs.dat
  field Id   Integer 4
  field Blob Lvar 100
  index 0 : Id
)";

struct Case {
    const char* table;
    const char* field;
    const char* initial;  // stored before the edit (nullptr: the bytes stay zero)
    const char* typed;
    bool converted;       // false: the codec refuses every text of the type
};

const Case kCases[] = {
    {"Kinds", "Id", nullptr, "77", true},
    {"Kinds", "Str30", "Old text", "Ab cd", true},
    {"Kinds", "Int1", "5", "-100", true},
    {"Kinds", "Int2", "5", "-31000", true},
    {"Kinds", "Int4", "5", "2000000000", true},
    {"Kinds", "Int8", "5", "-9000000000000000000", true},
    {"Kinds", "Float82", "1.5", "-1234.25", true},
    {"Kinds", "Float43", "1.5", "0.125", true},
    {"Kinds", "Float104", "1.5", "3.1416", true},
    {"Kinds", "Float41", "1.5", "12.5", true},
    {"Kinds", "Day", "01/02/2003", "12/31/1999", true},
    {"Kinds", "Day", "01/02/2003", "02/29/2024", true},
    {"Kinds", "Clock", "08:00:00", "23:59:59", true},
    {"Kinds", "Clock", "08:00:00", "7:05 pm", true},
    {"Kinds", "Dec72", "1.00", "-12345.67", true},
    {"Kinds", "Dec82", "1.00", "123456.78", true},
    {"Kinds", "Dec42", "1.00", "-12.34", true},
    {"Kinds", "Cash", nullptr, "12", false},
    {"Kinds", "Flag", nullptr, "Y", true},
    {"Kinds", "Flag2", nullptr, "T", true},
    {"Kinds", "Count", nullptr, "12", false},
    {"Kinds", "BFloat82", "1.5", "12345.75", true},
    {"Kinds", "BFloat42", "1.5", "-2.5", true},
    {"Kinds", "City", "Old city", "Left counted", true},
    {"Kinds", "Country", "Old country", "Zero ended", true},
    {"Kinds", "Byte", "5", "255", true},
    {"Kinds", "Word", "5", "65535", true},
    {"Kinds", "DWord", "5", "4000000000", true},
    {"Kinds", "QWord", "5", "18000000000000000000", true},
    {"Kinds", "Gone", "Y", "N", true},
    {"Kinds", "Signed", nullptr, "12", false},
    {"Kinds", "Trailing", nullptr, "12", false},
    {"Kinds", "Credit", "1", "-1234.5678", true},
    {"Memos", "Memo", "An old note that is longer than the new one", "A new note", true},
    {"Memos", "Memo", "Short", "A note that is longer than the one stored", true},
    {"Blobs", "Blob", nullptr, "12", false},
};

constexpr int kBuffer = 32768;

class RecordRoundTripTest : public ::testing::Test {
protected:
    RecordRoundTripTest() : screen(80, 25), keys(screen) {}
    ~RecordRoundTripTest() override {
        Close();
    }

    void Close() {
        viewer.reset();
        definition.reset();
        file.close();
    }

    // The table's file emptied and given one record holding c's initial
    // value, and a viewer over it.
    void Open(const Case& c) {
        Close();
        const std::vector<uint8_t> table = viewertest::GridDatabase::TableRecord(c.table);
        location = ddf::DecodeFileRecord(table.data()).location.Text();
        ASSERT_EQ(0, file.open(location.c_str()));
        std::vector<uint8_t> record(kBuffer, 0);
        uint8_t key[256] = {};
        file.setDataLength(kBuffer);
        while (file.getFirst(key, record.data(), 0) == 0) {
            ASSERT_EQ(0, file.deleteRecord(0));
            file.setDataLength(kBuffer);
        }
        std::fill(record.begin(), record.end(), 0);
        DictionaryDef shape(table.data(), Estring(location.c_str()), &file);
        ASSERT_TRUE(shape.valid);
        int length = std::max(4, static_cast<int>(file.recordLength()));
        le::PutU32(record.data(), 1);  // the Id of Memos and Blobs
        const FieldAttributes* field = Find(shape, c.field);
        ASSERT_NE(nullptr, field) << c.field;
        if (c.initial != nullptr) {
            ASSERT_TRUE(FieldFromText(*field, record.data(), kBuffer, c.initial)) << c.initial;
            if (field->type == kTypeNote) length = field->offset + static_cast<int>(std::strlen(c.initial)) + 1;
        }
        if (field->type == kTypeLvar) {
            for (int i = 0; i < 10; ++i) record[static_cast<size_t>(field->offset + i)] = static_cast<uint8_t>(0xF0 + i);
            length = field->offset + 10;
        }
        file.setDataLength(static_cast<uint16_t>(length));
        ASSERT_EQ(0, file.insertRecord(record.data()));
        definition = std::make_unique<DictionaryDef>(table.data(), Estring(location.c_str()), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->run(nullptr);
    }

    static const FieldAttributes* Find(const FieldList& list, const char* name) {
        for (int i = 0; i < list.Count(); ++i)
            if (list.Get(i)->name == Estring(name)) return list.Get(i);
        return nullptr;
    }

    int Line(const char* name) const {
        for (int i = 0; i < viewer->fields.Count(); ++i)
            if (viewer->fields.Get(i)->name == Estring(name)) return i;
        return -1;
    }

    std::vector<std::string> Stored() const {
        BtrieveFile reader;
        EXPECT_EQ(0, reader.open(location.c_str()));
        return viewertest::EngineRecords(reader);
    }

    bool RunScript() {
        const int dry = keys.DryReads();
        const int key = viewer->run(nullptr);
        return key == kKeyEsc && keys.Remaining() == 0 && keys.DryReads() == dry + 1;
    }

    viewertest::GridDatabase database{kKindsSchema};
    std::string location;
    MemoryDisplay screen;
    CommandInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

TEST_F(RecordRoundTripTest, EveryTypeIsStoredAsFieldFromTextStoresTheTypedText) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.field + " typed \"" + c.typed + "\"");
        Open(c);
        if (::testing::Test::HasFatalFailure()) return;
        const std::vector<std::string> before = Stored();
        ASSERT_EQ(1u, before.size());
        const int line = Line(c.field);
        ASSERT_GE(line, 0);
        const FieldAttributes& field = *viewer->fields.Get(line);

        keys.screens.clear();
        keys.PushKey(kKeyEnter);  // the record view on the only record
        for (int i = 0; i < line; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);
        keys.PushText(c.typed);
        keys.PushKey(kKeyEnter);
        if (!c.converted) {
            keys.PushKey(kKeyEnter);  // OK on the refusal
            keys.PushKey(kKeyEsc);    // the editor, opened again
        }
        keys.PushKey(kKeyF10);
        EXPECT_TRUE(RunScript());

        std::vector<uint8_t> expected(before[0].begin(), before[0].end());
        expected.resize(kBuffer, 0);
        const bool stores = FieldFromText(field, expected.data(), kBuffer, c.typed);
        const std::vector<std::string> now = Stored();
        ASSERT_EQ(1u, now.size());
        if (!c.converted) {
            EXPECT_FALSE(stores);
            EXPECT_TRUE(keys.Saw(std::string("Invalid value for ") + c.field));
            EXPECT_EQ(before, now);
            continue;
        }
        ASSERT_TRUE(stores);
        EXPECT_FALSE(keys.Saw("Invalid value for"));
        size_t length = before[0].size();
        if (field.type == kTypeNote) length = static_cast<size_t>(field.offset) + std::strlen(c.typed) + 1;
        EXPECT_EQ(std::string(expected.begin(), expected.begin() + static_cast<long>(length)), now[0]);
    }
}

// Texts the codec would store cut down or misread are refused by the editor
// before anything reaches the record: the message names the field and the
// file keeps its bytes.
TEST_F(RecordRoundTripTest, DatesAndTimesTheReaderWouldMisreadAreRefused) {
    const Case refused[] = {
        {"Kinds", "Clock", "08:00:00", "24:00", false},
        {"Kinds", "Clock", "08:00:00", "23:59:60", false},
        {"Kinds", "Clock", "08:00:00", "12.30", false},  // would be 12:00:00
        {"Kinds", "Day", "01/02/2003", "1/257/2020", false},
        {"Kinds", "Day", "01/02/2003", "1/1/65537", false},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(std::string(c.field) + " typed \"" + c.typed + "\"");
        Open(c);
        if (::testing::Test::HasFatalFailure()) return;
        const std::vector<std::string> before = Stored();
        const int line = Line(c.field);
        ASSERT_GE(line, 0);
        const FieldAttributes& field = *viewer->fields.Get(line);
        std::vector<uint8_t> lenient(before[0].begin(), before[0].end());
        lenient.resize(kBuffer, 0);
        EXPECT_TRUE(FieldFromText(field, lenient.data(), kBuffer, c.typed)) << "the codec itself takes it";

        keys.screens.clear();
        keys.PushKey(kKeyEnter);
        for (int i = 0; i < line; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);
        keys.PushText(c.typed);
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyEnter);  // OK on the refusal
        keys.PushKey(kKeyEsc);    // the editor, opened again
        // F10 ends the view whatever happened (a text let through would be
        // saved and show below), so the script cannot stall on a question.
        keys.PushKey(kKeyF10);
        EXPECT_TRUE(RunScript());
        EXPECT_TRUE(keys.Saw(std::string("Invalid value for ") + c.field));
        EXPECT_EQ(before, Stored());
    }
}

}  // namespace
