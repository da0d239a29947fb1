#pragma once
// Schema: a database definition written as text by a person (docs/SCHEMA.md),
// from which qdxutil writes the three dictionary files and empty data files.
//
//   table Customers location customers.dat
//     field CustomerId "Auto Increment" 4
//     field Name String 30
//     field Balance Decimal 7 2
//     index 0 : CustomerId
//     index 1 duplicates : Name case-insensitive, Balance descending
//
// ParseSchema checks everything that can be checked without the engine and
// fills in what follows from the text: field offsets, index numbers. A schema
// it accepts is complete; one it refuses comes back with the line number and
// the reason, and nothing is to be written from it.

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/Estring.h"
#include "engine/Contract.h"

// The longest record (fixed part plus variable tail) and key the engine takes.
constexpr int kSchemaMaxRecordLength = static_cast<int>(qdx::wire::kMaxRecordLength);
constexpr int kSchemaMaxKeyLength = qdx::wire::kMaxKeyLength;
constexpr int kSchemaMaxOwnerLength = 8;
// The key segments of one table that the program reads back from the file.
constexpr int kSchemaMaxSegments = qdx::wire::kMaxKeys;

struct SchemaField {
    Estring name;          // as in the dictionary: up to 20 characters, code page 437
    uint8_t type = 0;      // engine data type code
    int size = 0;
    int decimals = 0;
    int offset = 0;        // filled in by the parser when not given
    uint16_t flags = 0;    // dictionary field flags
    int line = 0;
};

struct SchemaSegment {
    Estring fieldName;
    int field = -1;        // index into the table's fields (set by the parser)
    bool descending = false;
    bool caseInsensitive = false;
    int line = 0;
};

struct SchemaIndex {
    int number = 0;
    bool duplicates = false;
    bool modifiable = false;
    bool nullAll = false;
    bool nullAny = false;
    std::vector<SchemaSegment> segments;
    int line = 0;

    // Engine key flags (qdx::wire::kSeg*) of segment i (0-based) as the file specification takes them.
    uint16_t KeyFlags(size_t i) const;
    // The same flags as index.ddf stores them (case-insensitive as 0x20).
    uint16_t DictionaryFlags(size_t i) const;
};

struct SchemaTable {
    Estring name;              // up to 20 characters
    Estring location;          // up to 64 characters
    Estring owner;             // empty: no owner name
    int ownerMode = 0;         // engine owner mode: 0 owner for every access, +1 reading allowed, +2 encrypted
    bool createFile = true;    // false: listed in the dictionary, no data file made
    int recordLength = 0;      // explicit fixed record length, 0 = follows from the fields
    bool dictionary = false;   // one of the dictionary's own files
    std::vector<SchemaField> fields;   // in the order written (offsets ascending for auto offsets)
    std::vector<SchemaIndex> indexes;  // in index number order
    int line = 0;

    // Largest offset + size over the fields that are not Note or Lvar.
    int RecordEnd() const;
    // The fixed record length the data file is created with.
    int FixedLength() const { return recordLength > 0 ? recordLength : RecordEnd(); }
    // True when a Note or Lvar field makes the records variable-length.
    bool VariableLength() const;
    int FindField(const Estring& name) const;  // -1 when absent
};

struct Schema {
    std::vector<SchemaTable> tables;
};

struct SchemaError {
    int line = 0;       // 1-based; 0 for a failure that belongs to no line
    Estring message;
};

// Parses and checks schema text (UTF-8, or code page 437 bytes where the text
// is not valid UTF-8). Returns false with the first fault in error.
bool ParseSchema(std::string_view text, Schema& schema, SchemaError& error);
// As ParseSchema; userSchema false also allows the dictionary's own table
// names and locations (used to read the dictionary's self-description).
bool ParseSchemaText(std::string_view text, Schema& schema, SchemaError& error, bool userSchema);

// The type name shown to users ("Auto Increment"), or null for an unknown code.
const char* SchemaTypeName(uint8_t type);
// Reads a type name: letter case, blanks, "_" and "-" are ignored ("autoincrement").
bool SchemaTypeFromName(std::string_view name, uint8_t& type);
// True for the types whose key segments may ignore letter case.
bool SchemaTypeIsText(uint8_t type);

// The definition of the dictionary's own three files, as tables named
// "DDF Files", "DDF Fields" and "DDF Indexes" (locations file.ddf, field.ddf,
// index.ddf). Every dictionary written by qdxutil describes itself with them.
const Schema& DictionarySchema();
