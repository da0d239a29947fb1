#include "dictionary/Schema.h"

#include <gtest/gtest.h>

#include <string>

#include "dictionary/DictionaryLayout.h"

namespace {

Schema MustParse(const std::string& text) {
    Schema schema;
    SchemaError error;
    EXPECT_TRUE(ParseSchema(text, schema, error)) << "line " << error.line << ": " << error.message.Text() << "\n"
                                                  << text;
    return schema;
}

TEST(Schema, OffsetsFollowOrderAndSizesUnlessGiven) {
    Schema s = MustParse(
        "table Orders location orders.dat   # a comment\n"
        "  field OrderNo Integer 4\n"
        "  field \"Order Date\" Date\n"
        "  field Total Decimal 6 2\n"
        "  field Code String 3 at 20\n"
        "  field After Auto Increment 4\n"
        "  field Memo Note 300\n");
    ASSERT_EQ(1u, s.tables.size());
    const SchemaTable& t = s.tables[0];
    ASSERT_EQ(6u, t.fields.size());
    int offsets[] = {0, 4, 8, 20, 23, 27};
    int sizes[] = {4, 4, 6, 3, 4, 300};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(offsets[i], t.fields[i].offset) << t.fields[i].name.Text();
        EXPECT_EQ(sizes[i], t.fields[i].size) << t.fields[i].name.Text();
    }
    EXPECT_EQ("Order Date", t.fields[1].name.ToStdString());
    EXPECT_EQ(2, t.fields[2].decimals);
    EXPECT_EQ(15, t.fields[4].type);  // two words without quotes
    EXPECT_EQ(12, t.fields[5].type);
    EXPECT_EQ(27, t.RecordEnd());     // the Note is the variable tail
    EXPECT_TRUE(t.VariableLength());
}

TEST(Schema, TypeNamesIgnoreCaseBlanksAndUnderscores) {
    struct Case {
        const char* spelling;
        int type;
    } cases[] = {{"string 4", 0},          {"INTEGER 2", 1},       {"Float 10", 2},        {"date", 3},
                 {"time", 4},              {"decimal 3", 5},       {"Money 4", 6},         {"logical", 7},
                 {"Numeric 5", 8},         {"bfloat 8", 9},        {"LString 10", 10},     {"zstring 10", 11},
                 {"note 100", 12},         {"Lvar 10", 13},        {"Unsigned_Integer 2", 14},
                 {"\"Unsigned Integer\" 8", 14}, {"unsigned 1", 14}, {"AutoIncrement 4", 15}, {"auto-increment 2", 15},
                 {"bit", 16},              {"NumericSTS 4", 17},   {"numericsa 4", 18},    {"currency", 19}};
    for (const Case& c : cases) {
        Schema s = MustParse(std::string("table T location t.dat\nfield K Integer 2\nfield F ") + c.spelling + "\n");
        ASSERT_EQ(1u, s.tables.size()) << c.spelling;
        EXPECT_EQ(c.type, s.tables[0].fields[1].type) << c.spelling;
    }
}

TEST(Schema, IndexesCarrySegmentsAndFlags) {
    Schema s = MustParse(
        "table Customers location cust.dat owner Secret readable\n"
        "field Id Integer 4\n"
        "field Name String 30\n"
        "field City ZString 20\n"
        "index : Id\n"
        "index duplicates modifiable null-any : Name case-insensitive descending, City\n");
    const SchemaTable& t = s.tables[0];
    EXPECT_EQ("Secret", t.owner.ToStdString());
    EXPECT_EQ(1, t.ownerMode);
    ASSERT_EQ(2u, t.indexes.size());
    EXPECT_EQ(0, t.indexes[0].number);
    EXPECT_EQ(qdx::wire::kSegExtendedType, t.indexes[0].KeyFlags(0));
    const SchemaIndex& i1 = t.indexes[1];
    EXPECT_EQ(1, i1.number);
    ASSERT_EQ(2u, i1.segments.size());
    EXPECT_EQ(1, i1.segments[0].field);
    EXPECT_EQ(2, i1.segments[1].field);
    EXPECT_EQ(0x0100 | 0x0001 | 0x0002 | 0x0200 | 0x0010 | 0x0040 | 0x0400, i1.KeyFlags(0));
    EXPECT_EQ(0x0100 | 0x0001 | 0x0002 | 0x0200, i1.KeyFlags(1));
    // The dictionary keeps case-insensitivity as 0x20.
    EXPECT_EQ(0x0100 | 0x0001 | 0x0002 | 0x0200 | 0x0010 | 0x0040 | 0x0020, i1.DictionaryFlags(0));
}

TEST(Schema, AccentedNamesAreStoredInCodePage437) {
    Schema s = MustParse("table \"Größe\" location g.dat\nfield \"Prénom\" String 10\n");
    EXPECT_EQ(std::string("Gr\x94\xE1") + "e", s.tables[0].name.ToStdString());
    EXPECT_EQ(std::string("Pr\x82nom"), s.tables[0].fields[0].name.ToStdString());
}

TEST(Schema, RefusedWithLineNumberAndReason) {
    struct Case {
        const char* text;
        int line;
        const char* words;  // part of the message
    } cases[] = {
        {"table T location t.dat\nfield A Integr 4\n", 2, "unknown type 'Integr'"},
        {"table T location t.dat\nfield A Integer 4\nfield a String 3\n", 3, "defined twice"},
        {"table T location t.dat\nfield My_Name Integer 4\nfield \"My Name\" String 3\n", 3, "defined twice"},
        {"table T location t.dat\nfield A Integer 4\nindex 0 : B\n", 3, "no field 'B'"},
        {"table T location t.dat record 10\nfield A Integer 4\nfield B String 8\n", 3, "past the record end 10"},
        {"table T location t.dat\nfield A String 10 at 32760\n", 2, "past the longest record"},
        {"table T location t.dat\nfield A Integer 3\n", 2, "size 3 is not allowed for type Integer"},
        {"table T location t.dat\nfield A String 65536\n", 2, "size 65536 is not allowed for type String"},
        {"table T location t.dat\nfield A String 2147483648\n", 2, "size 2147483648 is not allowed for type String"},
        {"table T location t.dat\nfield A String -1\n", 2, "size -1 is not allowed for type String"},
        {"table T location t.dat\nfield A String size -5\n", 2, "size -5 is not allowed for type String"},
        {"table T location t.dat\nfield A Integer 99999999999999999999\n", 2, "size 99999999999999999999 is not allowed"},
        {"table T location t.dat\nfield A String\n", 2, "needs a size"},
        {"table T location t.dat\nfield A Note 10\nfield B Integer 2\n", 2, "must be the last field"},
        {"table T location t.dat\nfield A Integer 2\nfield N Note 10 at 9\n", 3, "must start at the record end"},
        {"table T location t.dat\nfield A Integer 2\nindex 1 : A\n", 3, "index 0 is missing"},
        {"table T location t.dat\nfield A Integer 2\nindex 0 : A\nindex 0 : A\n", 4, "defined twice"},
        {"table T location t.dat\nfield A Integer 2\nindex 0 : A case-insensitive\n", 3, "is not text"},
        {"table T location t.dat\nfield A Integer 2\nfield N Note 10\nindex 0 : N\n", 4, "cannot be part of an index"},
        {"table T location t.dat\nfield A String 200\nfield B String 100\nindex 0 : A, B\n", 4, "at most 255"},
        {"table T location t.dat\nfield A Integer 2\nindex 0 : A, A\n", 3, "appears twice"},
        {"table T location t.dat\nfield A Integer 2\nfield N AutoInc 4\nindex 0 : A, N\n", 4, "must be the first field"},
        {"table T location t.dat\nfield A Integer 2\nindex 0 null-all null-any : A\n", 3, "exclude each other"},
        {"table T location t.dat\nfield A Integer 2\nindex 0 A\n", 3, "unknown word 'A' in an index line"},
        {"table T location t.dat\nfield A Integer 2\nindex 0 unique\n", 3, "needs \":\""},
        {"table T location t.dat\nfield N Note 20\n", 1, "no fixed part"},
        {"table T location t.dat\nfield A Integer 2\nindex 0 : A,\n", 3, "field name is missing"},
        {"field A Integer 2\n", 1, "must follow a table line"},
        {"table T\nfield A Integer 2\n", 1, "has no location"},
        {"table T location t.dat\n", 1, "has no fields"},
        {"table T location t.dat\nfield A Integer 2\ntable t location u.dat\nfield A Integer 2\n", 3, "defined twice"},
        {"table T location t.dat\nfield A Integer 2\ntable U location T.DAT\nfield A Integer 2\n", 3, "already that of"},
        {"table T location file.ddf\nfield A Integer 2\n", 1, "dictionary's own"},
        {"table T location t.dat owner toolongname\nfield A Integer 2\n", 1, "owner name is longer"},
        {"table T location t.dat\nfield ThisNameIsFarTooLong1 Integer 2\n", 2, "longer than 20"},
        {"table T location t.dat\nfield A Decimal 2 4\n", 2, "at most 3 decimal places"},
        {"table T location t.dat\nfield A Integer 2 at x\n", 2, "must be a number"},
        {"table T location t.dat\nfield \"A Integer 2\n", 2, "not closed"},
        {"table T location t.dat\ncolumn A Integer 2\n", 2, "unknown statement"},
        {"\n\n  # only a comment\ntable T location t.dat readable\nfield A Integer 2\n", 4, "need an owner name"},
        // "+" in an opened name starts the owner name: such a file could never be opened.
        {"table T location c++.dat\nfield A Integer 2\n", 1, "\"+\""},
    };
    for (const Case& c : cases) {
        Schema schema;
        SchemaError error;
        EXPECT_FALSE(ParseSchema(c.text, schema, error)) << c.text;
        EXPECT_EQ(c.line, error.line) << c.text << "\n" << error.message.Text();
        EXPECT_NE(std::string::npos, error.message.ToStdString().find(c.words)) << c.text << "\n" << error.message.Text();
        EXPECT_TRUE(schema.tables.empty()) << c.text;
    }
}

// A file's specification (Stat) is read back for at most 119 key segments:
// a table with more would open with keys missing.
TEST(Schema, AtMost119KeySegmentsInATable) {
    auto table = [](int indexes, int segmentsEach) {
        std::string text = "table T location t.dat\n";
        for (int f = 0; f < indexes * segmentsEach; ++f) text += "field F" + std::to_string(f) + " String 1\n";
        for (int i = 0; i < indexes; ++i) {
            text += "index " + std::to_string(i) + " duplicates :";
            for (int j = 0; j < segmentsEach; ++j) text += (j ? ", F" : " F") + std::to_string(i * segmentsEach + j);
            text += "\n";
        }
        return text;
    };
    Schema schema;
    SchemaError error;
    EXPECT_TRUE(ParseSchema(table(7, 17), schema, error)) << error.message.Text();  // 119 segments
    EXPECT_FALSE(ParseSchema(table(12, 10), schema, error));                        // 120 segments
    EXPECT_EQ(1, error.line);
    EXPECT_NE(std::string::npos, error.message.ToStdString().find("119")) << error.message.Text();
}

TEST(Schema, DictionaryDescribesItsOwnRecordLayouts) {
    const Schema& d = DictionarySchema();
    ASSERT_EQ(3u, d.tables.size());
    EXPECT_EQ(ddf::kFileRecordLength, d.tables[0].FixedLength());
    EXPECT_EQ(ddf::kFieldRecordLength, d.tables[1].FixedLength());
    EXPECT_EQ(ddf::kIndexRecordLength, d.tables[2].FixedLength());
    const SchemaTable& field = d.tables[1];
    EXPECT_EQ(ddf::kFieldType, field.fields[static_cast<size_t>(field.FindField("Type"))].offset);
    EXPECT_EQ(ddf::kFieldFlags, field.fields[static_cast<size_t>(field.FindField("Flags"))].offset);
    // The keys the reader uses: field.ddf key 4 and index.ddf key 2.
    int key4 = 0;
    for (const SchemaSegment& seg : field.indexes[4].segments) key4 += field.fields[static_cast<size_t>(seg.field)].size;
    EXPECT_EQ(ddf::kFieldKeyByTableLength, key4);
    const SchemaTable& index = d.tables[2];
    int key2 = 0;
    for (const SchemaSegment& seg : index.indexes[2].segments) key2 += index.fields[static_cast<size_t>(seg.field)].size;
    EXPECT_EQ(ddf::kIndexKeyByTableLength, key2);
    EXPECT_EQ(ddf::kIndexFlags, index.fields[static_cast<size_t>(index.FindField("Flags"))].offset);
}

TEST(DictionaryLayout, RecordsRoundTrip) {
    uint8_t buffer[ddf::kFileRecordLength];
    ddf::FileRecord f;
    f.tableId = -3;
    f.tableName = "Order Lines";
    f.location = "data/orderlin.dat";
    f.flags = ddf::kTableDictionary;
    ddf::EncodeFileRecord(f, buffer);
    EXPECT_EQ(' ', buffer[ddf::kFileTableName + 19]);
    ddf::FileRecord back = ddf::DecodeFileRecord(buffer);
    EXPECT_EQ(-3, back.tableId);
    EXPECT_EQ("Order Lines", back.tableName.ToStdString());
    EXPECT_EQ("data/orderlin.dat", back.location.ToStdString());
    EXPECT_EQ(ddf::kTableDictionary, back.flags);

    // Text stops at the first zero byte.
    buffer[ddf::kFileTableName + 5] = 0;
    EXPECT_EQ("Order", ddf::DecodeFileRecord(buffer).tableName.ToStdString());

    uint8_t fr[ddf::kFieldRecordLength];
    ddf::FieldRecord field{513, 7, Estring("Balance"), 5, 300, 7, 2, 0x20};
    ddf::EncodeFieldRecord(field, fr);
    EXPECT_EQ(0x01, fr[0]);
    EXPECT_EQ(0x02, fr[1]);
    EXPECT_EQ(5, fr[24]);
    EXPECT_EQ(300 & 0xFF, fr[25]);
    EXPECT_EQ(2, fr[29]);
    ddf::FieldRecord fb = ddf::DecodeFieldRecord(fr);
    EXPECT_EQ(513, fb.fieldId);
    EXPECT_EQ(300, fb.offset);
    EXPECT_EQ(7, fb.size);
    EXPECT_EQ(0x20, fb.flags);
    EXPECT_EQ("Balance", fb.name.ToStdString());

    uint8_t ir[ddf::kIndexRecordLength];
    ddf::EncodeIndexRecord(ddf::IndexRecord{7, 513, 118, 2, 0x0153}, ir);
    ddf::IndexRecord ib = ddf::DecodeIndexRecord(ir);
    EXPECT_EQ(7, ib.tableId);
    EXPECT_EQ(513, ib.fieldId);
    EXPECT_EQ(118, ib.number);
    EXPECT_EQ(2, ib.segment);
    EXPECT_EQ(0x0153, ib.flags);
}

}  // namespace
