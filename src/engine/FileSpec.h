#pragma once
// The file specification: record length, page size, file flags and keys made
// of segments. Parsed from the Create and Create Supplemental Index buffers,
// validated, written back by Stat, and stored in the file as segment blobs.
//
// The buffers' layouts and the flags are the wire contract's (engine/Contract.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Status.h"

namespace qdx::engine {

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
