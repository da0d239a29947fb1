#pragma once
// The file specification: record length, page size, file flags and keys made
// of segments. Parsed from the Create and Create Supplemental Index buffers,
// validated, written back by Stat, and stored in the file as segment blobs.
//
// Create buffer / Stat buffer (little-endian):
//   OFFSET  WIDTH  MEANING
//   0       2      record length (fixed part for variable-length files)
//   2       2      page size
//   4       2      Create: number of keys. Stat: byte 4 keys, byte 5 version
//   6       4      Create: reserved. Stat: number of records
//   10      2      file flags (0x0001 variable-length records)
//   12      1      Stat: duplicate pointers to reserve (0)
//   13      1      reserved
//   14      2      Stat: unused pages (0)
//   16      16*n   one segment entry per key segment, keys in order
//
// Segment entry:
//   OFFSET  WIDTH  MEANING
//   0       2      position in the record, 1-based
//   2       2      length
//   4       2      key flags (kSeg* below)
//   6       4      Stat: number of unique values
//   10      1      extended data type (used when kSegExtendedType is set)
//   11      1      null value
//   12      2      reserved
//   14      1      key number (Stat)
//   15      1      collating sequence number

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Status.h"

namespace qdx::engine {

constexpr size_t kSpecHeaderSize = 16;
constexpr size_t kSegmentEntrySize = 16;

constexpr size_t kSpecRecordLength = 0;
constexpr size_t kSpecPageSize = 2;
constexpr size_t kSpecKeyCount = 4;
constexpr size_t kSpecVersion = 5;
constexpr size_t kSpecRecordCount = 6;
constexpr size_t kSpecFileFlags = 10;

constexpr size_t kSegPosition = 0;
constexpr size_t kSegLength = 2;
constexpr size_t kSegFlags = 4;
constexpr size_t kSegUniqueCount = 6;
constexpr size_t kSegType = 10;
constexpr size_t kSegNullValue = 11;
constexpr size_t kSegKeyNumber = 14;
constexpr size_t kSegCollation = 15;

constexpr uint16_t kFileVariable = 0x0001;

constexpr uint16_t kSegDuplicates = 0x0001;
constexpr uint16_t kSegModifiable = 0x0002;
constexpr uint16_t kSegBinary = 0x0004;
constexpr uint16_t kSegNullAll = 0x0008;
constexpr uint16_t kSegSegmented = 0x0010;
constexpr uint16_t kSegAltCollation = 0x0020;
constexpr uint16_t kSegDescending = 0x0040;
constexpr uint16_t kSegSupplemental = 0x0080;
constexpr uint16_t kSegExtendedType = 0x0100;
constexpr uint16_t kSegNullAny = 0x0200;
constexpr uint16_t kSegNoCase = 0x0400;

// The engine's data type codes as they matter for keys.
enum KeyType : uint8_t {
    kTypeString = 0, kTypeInteger = 1, kTypeFloat = 2, kTypeDate = 3, kTypeTime = 4,
    kTypeDecimal = 5, kTypeMoney = 6, kTypeLogical = 7, kTypeNumeric = 8, kTypeBFloat = 9,
    kTypeLString = 10, kTypeZString = 11, kTypeNote = 12, kTypeLvar = 13,
    kTypeUnsigned = 14, kTypeAutoIncrement = 15, kTypeBit = 16, kTypeNumericSTS = 17,
    kTypeNumericSA = 18, kTypeCurrency = 19,
    // Internal: the old binary flag without an extended type; unsigned of any length.
    kTypeLegacyBinary = 0xFE,
};

struct Segment {
    uint16_t position = 1;  // 1-based
    uint16_t length = 0;
    uint16_t flags = 0;
    uint8_t extendedType = 0;
    uint8_t nullValue = 0;
    uint8_t collation = 0;

    // The type the key layer orders by.
    uint8_t type() const;
    bool descending() const { return flags & kSegDescending; }
    bool foldCase() const { return flags & (kSegNoCase | kSegAltCollation); }
};

// How a key's index entries were encoded. Files of the first format sorted
// Numeric, NumericSTS and NumericSA by their bytes and took packed sign 0xB
// as negative; their keys keep that order until the file is upgraded (a key
// whose values collide under the new order keeps it for good).
constexpr int kKeyOrderFirst = 1;
constexpr int kKeyOrderByValue = 2;

struct KeyDef {
    int keyNumber = 0;
    int64_t tableId = 0;  // names the SQLite index table; stable across renumbering
    int order = kKeyOrderByValue;
    std::vector<Segment> segments;

    uint16_t flags() const { return segments.empty() ? 0 : segments[0].flags; }
    bool duplicates() const { return flags() & kSegDuplicates; }
    bool modifiable() const { return flags() & kSegModifiable; }
    size_t length() const;  // sum of segment lengths: the key value's size
    // Index of the auto-increment segment, or -1.
    int autoIncrementSegment() const;
    // True when a segment's type sorts differently under the two orders.
    bool orderDependsOnVersion() const;
};

struct FileSpec {
    uint16_t recordLength = 0;
    uint16_t pageSize = 4096;
    uint16_t fileFlags = 0;
    std::vector<KeyDef> keys;  // in key-number order

    bool variableLength() const { return fileFlags & kFileVariable; }
    const KeyDef* findKey(int keyNumber) const;
    size_t segmentCount() const;
    size_t statSize() const { return kSpecHeaderSize + kSegmentEntrySize * segmentCount(); }
};

// Parses and validates a Create buffer. Key numbers are assigned 0..n-1.
Status ParseCreateSpec(const uint8_t* buffer, size_t length, FileSpec& out);

// Parses and validates the segments of one new key for a file (Create
// Supplemental Index); the buffer holds 16 bytes per segment.
Status ParseIndexSpec(const uint8_t* buffer, size_t length, const FileSpec& file, KeyDef& out);

// Writes the Stat layout; the buffer must hold statSize() bytes. uniqueCounts
// holds one count per key (in spec.keys order).
void WriteStat(const FileSpec& spec, uint32_t recordCount,
               const std::vector<uint32_t>& uniqueCounts, uint8_t* buffer);

// Segment blob kept in the file: the 16-byte entries of one key.
std::string EncodeSegments(const KeyDef& key);
bool DecodeSegments(const void* blob, size_t length, KeyDef& out);

}  // namespace qdx::engine
