// Damaged and hostile schema text: every input is either refused with a line
// and a reason, or accepted as a schema that the dictionary can hold and read
// back the same. Fixed seeds, bounded counts.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "dictionary/DictionaryLayout.h"
#include "dictionary/Schema.h"
#include "fields/FieldAttributes.h"

namespace {

const char kValid[] =
    "table Orders location orders.dat owner pw readable\n"
    "  field OrderNo Integer 4\n"
    "  field \"Order Date\" Date\n"
    "  field Code String 6 at 12\n"
    "  field Amount Decimal 5 2\n"
    "  field Flags Integer 2 flags 0x10\n"
    "  field Memo Note 200\n"
    "  index 0 : OrderNo\n"
    "  index 1 duplicates : Code case-insensitive, \"Order Date\" descending\n"
    "table Bare location bare.dat record 40\n"
    "  field A Integer 2\n"
    "  field B Float 8 at 30\n";

int LineCount(const std::string& text) {
    int lines = 1;
    for (char c : text) lines += c == '\n';
    return lines;
}

// What a schema that was accepted must be: complete, within the limits, and
// with names that survive the dictionary's fixed-width records.
void ExpectSound(const Schema& schema, const std::string& text) {
    for (const SchemaTable& t : schema.tables) {
        ASSERT_FALSE(t.name.IsEmpty()) << text;
        ASSERT_FALSE(t.fields.empty()) << text;
        ASSERT_GE(t.FixedLength(), 1) << text;
        ASSERT_LE(t.FixedLength(), kSchemaMaxRecordLength) << text;
        std::vector<Estring> readBack;
        for (const SchemaField& f : t.fields) {
            ASSERT_GE(f.offset, 0) << text;
            ASSERT_GT(f.size, 0) << text;
            ASSERT_LE(f.offset + f.size, kSchemaMaxRecordLength) << text;
            uint8_t record[ddf::kFieldRecordLength];
            ddf::EncodeFieldRecord(ddf::FieldRecord{1, 1, f.name, f.type, static_cast<uint16_t>(f.offset),
                                                    static_cast<uint16_t>(f.size), static_cast<uint8_t>(f.decimals),
                                                    f.flags},
                                   record);
            ddf::FieldRecord back = ddf::DecodeFieldRecord(record);
            Estring name = FieldAttributes::NameFromDictionary(back.name.View());
            // The name the program will know the field by is the one written.
            ASSERT_EQ(FieldAttributes::NameFromDictionary(f.name.View()).ToStdString(), name.ToStdString()) << text;
            for (const Estring& other : readBack) ASSERT_FALSE(other == name) << name.Text() << "\n" << text;
            readBack.push_back(name);
        }
        for (const SchemaIndex& index : t.indexes) {
            ASSERT_FALSE(index.segments.empty()) << text;
            for (const SchemaSegment& s : index.segments) {
                ASSERT_GE(s.field, 0) << text;
                ASSERT_LT(s.field, static_cast<int>(t.fields.size())) << text;
            }
        }
    }
}

// Parses text; a refusal names a line of the text and says why, and leaves no schema behind.
void ExpectSoundOrRefused(const std::string& text) {
    Schema schema;
    SchemaError error;
    if (ParseSchema(text, schema, error)) {
        ExpectSound(schema, text);
        return;
    }
    EXPECT_FALSE(error.message.IsEmpty()) << text;
    EXPECT_GE(error.line, 0) << text;
    EXPECT_LE(error.line, LineCount(text)) << text;
    EXPECT_TRUE(schema.tables.empty()) << text;
}

TEST(SchemaFuzz, TheValidSchemaIsReadAsWritten) {
    Schema schema;
    SchemaError error;
    ASSERT_TRUE(ParseSchema(kValid, schema, error)) << error.line << ": " << error.message.Text();
    ASSERT_EQ(2u, schema.tables.size());
    EXPECT_EQ(6u, schema.tables[0].fields.size());
    EXPECT_EQ(2u, schema.tables[0].indexes.size());
    EXPECT_EQ(40, schema.tables[1].FixedLength());
    ExpectSound(schema, kValid);
}

TEST(SchemaFuzz, EveryTruncationIsReadOrRefused) {
    const std::string text = kValid;
    for (size_t n = 0; n <= text.size(); ++n) ExpectSoundOrRefused(text.substr(0, n));
}

TEST(SchemaFuzz, BitFlipsAndInsertedBytesAreReadOrRefused) {
    std::mt19937 rng(20261209);
    const std::string text = kValid;
    const char* const kInserts[] = {"\0", "\"", "#", ":", ",", " 999999999", " 0xFFFFFFF", " at 65535",
                                    " -1", "\r", "\n", "\xFF", "\xC3\xA9", " size 0", " decimals 99"};
    for (int round = 0; round < 3000; ++round) {
        std::string mutated = text;
        const int edits = 1 + static_cast<int>(rng() % 3);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % (mutated.size() + 1);
            switch (rng() % 4) {
            case 0:
                if (at < mutated.size()) mutated[at] = static_cast<char>(mutated[at] ^ (1u << (rng() % 8)));
                break;
            case 1: {
                const char* insert = kInserts[rng() % (sizeof kInserts / sizeof kInserts[0])];
                mutated.insert(at, insert[0] == '\0' ? std::string(1, '\0') : std::string(insert));
                break;
            }
            case 2:
                mutated.erase(at, 1 + rng() % 6);
                break;
            default:
                mutated.insert(at, 1, static_cast<char>(rng() % 256));
                break;
            }
        }
        ExpectSoundOrRefused(mutated);
    }
}

TEST(SchemaFuzz, RandomBytesAndLongLinesAreRefused) {
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(rng() % 200, '\0');
        for (char& c : bytes) c = static_cast<char>(rng() % 256);
        ExpectSoundOrRefused(bytes);
    }
    ExpectSoundOrRefused("table " + std::string(100000, 'x') + " location a.dat\n  field A Integer 2\n");
    ExpectSoundOrRefused("table T location a.dat\n  field A String " + std::string(5000, '9') + "\n");
    ExpectSoundOrRefused("table T location a.dat\n  field A Integer 2 at " + std::string(5000, '9') + "\n");
    ExpectSoundOrRefused("table T location a.dat\n  field A Integer 2\n  index " + std::string(5000, '9') +
                         " : A\n");
    ExpectSoundOrRefused(std::string(200000, '"'));
}

// A name the dictionary cannot hold as written must not be taken: the
// program would know the field or table by another name than the schema's.
TEST(SchemaFuzz, NamesWithBytesTheDictionaryCannotHoldAreRefused) {
    const std::string nul(1, '\0');
    const std::string cases[] = {
        "table T location a.dat\n  field \"A" + nul + "B\" Integer 2\n",
        "table T location a.dat\n  field A" + nul + "B Integer 2\n",
        "table \"T" + nul + "U\" location a.dat\n  field A Integer 2\n",
        "table T location a.dat\n  field \"A\tB\" Integer 2\n",
        "table T location \"a" + nul + ".dat\"\n  field A Integer 2\n",
        // The dictionary pads names with blanks: these would read back as the same or no name.
        "table T location a.dat\n  field A Integer 2\n  field \"a \" Integer 2\n",
        "table T location a.dat\n  field \"   \" Integer 2\n",
        "table \"T \" location a.dat\n  field A Integer 2\ntable T location b.dat\n  field A Integer 2\n",
        "table \" \" location a.dat\n  field A Integer 2\n",
    };
    for (const std::string& text : cases) {
        Schema schema;
        SchemaError error;
        EXPECT_FALSE(ParseSchema(text, schema, error)) << text;
        EXPECT_FALSE(error.message.IsEmpty());
    }
}

// Many tables or fields are refused or read in time proportional to the
// text, not to its square.
TEST(SchemaFuzz, ManyTablesAndFieldsEndQuickly) {
    std::string tables;
    for (int i = 0; i < 40000; ++i)
        tables += "table T" + std::to_string(i) + " location t" + std::to_string(i) + ".dat\n field A Integer 1\n";
    auto start = std::chrono::steady_clock::now();
    Schema schema;
    SchemaError error;
    EXPECT_FALSE(ParseSchema(tables, schema, error));
    EXPECT_EQ("too many tables", error.message.ToStdString());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // Just below the limit, and one table with many fields: no pairwise comparisons.
    tables.clear();
    for (int i = 0; i < 29000; ++i)
        tables += "table T" + std::to_string(i) + " location t" + std::to_string(i) + ".dat\n field A Integer 1\n";
    tables += "table Wide location wide.dat\n";
    for (int i = 0; i < 30000; ++i) tables += " field F" + std::to_string(i) + " Integer 1 at 0\n";
    tables += " field f29999 Integer 1\n";
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ParseSchema(tables, schema, error));
    EXPECT_EQ("field 'f29999' is defined twice in table 'Wide'", error.message.ToStdString());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Both faults in one table: the earlier table decides which is told.
TEST(SchemaFuzz, DuplicateNameAndLocationAreToldInTableOrder) {
    const char* const kFields = "  field A Integer 2\n";
    struct Case {
        std::string text;
        const char* message;
        int line;
    } cases[] = {
        {std::string("table A location a.dat\n") + kFields + "table B location b.dat\n" + kFields +
             "table b location a.dat\n" + kFields,
         "location 'a.dat' is already that of table 'A'", 5},
        {std::string("table A location a.dat\n") + kFields + "table B location b.dat\n" + kFields +
             "table a location b.dat\n" + kFields,
         "table 'a' is defined twice", 5},
        {std::string("table A location a.dat\n") + kFields + "table a location A.DAT\n" + kFields,
         "table 'a' is defined twice", 3},
    };
    for (const Case& c : cases) {
        Schema schema;
        SchemaError error;
        EXPECT_FALSE(ParseSchema(c.text, schema, error)) << c.text;
        EXPECT_EQ(c.message, error.message.ToStdString()) << c.text;
        EXPECT_EQ(c.line, error.line) << c.text;
    }
}

}  // namespace
