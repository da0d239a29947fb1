#pragma once
// The file specification sent to Create for a table's data file, built from
// its schema. Little-endian:
//
//   OFFSET  WIDTH       MEANING
//   0       2           record length: the fixed part of the record
//   2       2           page size (4096)
//   4       2           number of keys
//   6       4           0
//   10      2           file flags: kSpecVariableLength when a Note or Lvar
//                       field makes the records variable-length
//   12      4           0
//   16      16 each     one segment entry per key segment, keys in index
//                       number order, segments in order
//
// Segment entry:
//   OFFSET  WIDTH  MEANING
//   0       2      position: the field's offset in the record + 1
//   2       2      length: the field's size
//   4       2      key flags (kKey* of app/Schema.h; kKeyExtendedType always)
//   6       4      0
//   10      1      extended data type: the field's data type
//   11      1      null value (0)
//   12      2      0
//   14      1      key number: the index number
//   15      1      collating-sequence number (0)

#include <cstdint>
#include <vector>

#include "dictionary/Schema.h"

constexpr int kSpecRecordLength = 0;
constexpr int kSpecPageSize = 2;
constexpr int kSpecKeyCount = 4;
constexpr int kSpecFileFlags = 10;
constexpr int kSpecHeaderSize = 16;

constexpr int kSegmentEntrySize = 16;
constexpr int kSegmentPosition = 0;
constexpr int kSegmentLength = 2;
constexpr int kSegmentFlags = 4;
constexpr int kSegmentType = 10;
constexpr int kSegmentNullValue = 11;
constexpr int kSegmentKeyNumber = 14;
constexpr int kSegmentCollating = 15;

constexpr uint16_t kSpecPageSizeValue = 4096;
constexpr uint16_t kSpecVariableLength = 0x0001;

// The Create buffer for table's data file.
// Requires: table was accepted by ParseSchema (or is the dictionary's own).
std::vector<uint8_t> BuildFileSpecification(const SchemaTable& table);
