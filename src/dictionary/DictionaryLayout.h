#pragma once
// Record layouts of the three dictionary files and the packing of one record
// of each. Little-endian integers; text fields are fixed width, written
// blank-padded and read up to the first zero byte with trailing blanks removed.
//
// file.ddf, one record per table (key 0: table id; key 1: table name,
// case-insensitive):
//   OFFSET  WIDTH  MEANING
//   0       2      table id (signed)
//   2       20     table name
//   22      64     location: the data file's path or name
//   86      1      table flags (kTableDictionary marks a dictionary file)
//   87      10     reserved, zero
//
// field.ddf, one record per field (key 4: table id, offset, decimal places):
//   OFFSET  WIDTH  MEANING
//   0       2      field id
//   2       2      table id
//   4       20     field name
//   24      1      data type code
//   25      2      offset in the record
//   27      2      size in bytes
//   29      1      decimal places
//   30      2      field flags
//
// index.ddf, one record per index segment (key 2: table id, index number,
// segment number):
//   OFFSET  WIDTH  MEANING
//   0       2      table id
//   2       2      field id of the segment
//   4       2      index number (0 to 118)
//   6       2      segment number within the index
//   8       2      index flags: the engine's key flags, except that a
//                  case-insensitive segment carries kIndexCaseInsensitive
//                  (0x20) in place of the engine's 0x400

#include <cstdint>

#include "base/Estring.h"

namespace ddf {

constexpr const char* kFileDictionaryName = "file.ddf";
constexpr const char* kFieldDictionaryName = "field.ddf";
constexpr const char* kIndexDictionaryName = "index.ddf";

// file.ddf
constexpr int kFileRecordLength = 97;
constexpr int kFileTableId = 0;
constexpr int kFileTableName = 2;
constexpr int kFileTableNameWidth = 20;
constexpr int kFileLocation = 22;
constexpr int kFileLocationWidth = 64;
constexpr int kFileFlags = 86;
constexpr uint8_t kTableDictionary = 0x10;

// field.ddf
constexpr int kFieldRecordLength = 32;
constexpr int kFieldId = 0;
constexpr int kFieldTableId = 2;
constexpr int kFieldName = 4;
constexpr int kFieldNameWidth = 20;
constexpr int kFieldType = 24;
constexpr int kFieldOffset = 25;
constexpr int kFieldSize = 27;
constexpr int kFieldDecimals = 29;
constexpr int kFieldFlags = 30;
constexpr int kFieldKeyByTable = 4;     // table id, offset, decimal places
constexpr int kFieldKeyByTableLength = 5;

// index.ddf
constexpr int kIndexRecordLength = 10;
constexpr int kIndexTableId = 0;
constexpr int kIndexFieldId = 2;
constexpr int kIndexNumber = 4;
constexpr int kIndexSegment = 6;
constexpr int kIndexFlags = 8;
constexpr int kIndexKeyByTable = 2;     // table id, index number, segment number
constexpr int kIndexKeyByTableLength = 6;
constexpr uint16_t kIndexCaseInsensitive = 0x0020;

// file.ddf keys read by the table list and the opener.
constexpr int kFileKeyById = 0;
constexpr int kFileKeyByName = 1;

constexpr int kMaxIndexes = 119;  // index numbers 0 to 118

struct FileRecord {
    int16_t tableId = 0;
    Estring tableName;
    Estring location;
    uint8_t flags = 0;
};

struct FieldRecord {
    uint16_t fieldId = 0;
    int16_t tableId = 0;
    Estring name;
    uint8_t type = 0;
    uint16_t offset = 0;
    uint16_t size = 0;
    uint8_t decimals = 0;
    uint16_t flags = 0;
};

struct IndexRecord {
    int16_t tableId = 0;
    uint16_t fieldId = 0;
    uint16_t number = 0;
    uint16_t segment = 0;
    uint16_t flags = 0;
};

// Text of a fixed-width field: up to the first zero byte, trailing blanks removed.
Estring ReadFixedText(const uint8_t* p, int width);
// Writes text blank-padded (or cut) to width.
void WriteFixedText(uint8_t* p, int width, const Estring& text);

// Requires: record holds the layout's record length.
FileRecord DecodeFileRecord(const uint8_t* record);
void EncodeFileRecord(const FileRecord& value, uint8_t* record);
FieldRecord DecodeFieldRecord(const uint8_t* record);
void EncodeFieldRecord(const FieldRecord& value, uint8_t* record);
IndexRecord DecodeIndexRecord(const uint8_t* record);
void EncodeIndexRecord(const IndexRecord& value, uint8_t* record);

}  // namespace ddf
