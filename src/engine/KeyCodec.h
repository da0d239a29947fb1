#pragma once
// The key layer: turns key values into bytes whose memcmp order is the key
// order, so that SQLite's BLOB comparison sorts every index correctly.
//
// A key value ("key image") is the concatenation of the key's segments as they
// lie in the record; that is what callers put in and get back in the key
// buffer. Each segment encodes to a fixed width that depends only on its type
// and length, so segments never bleed into each other and a descending
// segment is simply its bytes inverted. Index entries of a duplicates key are
// the encoded key followed by a 4-byte suffix (big-endian) that orders equal
// keys by arrival: the record's position, which grows with every insert, or,
// once an update gave the record a new value in that key, a number taken
// from the same counter at that update (see DuplicateSuffix).

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/FileSpec.h"

namespace qdx::engine {

// Copies the key's segments out of a record. Record bytes past recordLength
// read as zero (callers validate positions against the fixed record length).
void ExtractKey(const KeyDef& key, const uint8_t* record, size_t recordLength, std::string& image);

// Writes a key image back into a record (used for auto-increment values).
void StoreKey(const KeyDef& key, const uint8_t* image, uint8_t* record);

// True when the record is left out of this key: with kSegNullAll every
// segment, with kSegNullAny some segment, consists only of its null value.
bool IsNullKey(const KeyDef& key, const uint8_t* image);

// Order-preserving encoding of a key image of key.length() bytes.
void EncodeKey(const KeyDef& key, const uint8_t* image, std::string& out);

// The index entry of one record: the encoding, plus the suffix for
// duplicates keys.
void IndexEntry(const KeyDef& key, const uint8_t* image, uint32_t suffix, std::string& out);

// The suffixes of a record's duplicates entries that are not its position,
// kept with the record (qdx_record.seq; empty when there are none):
//   OFFSET  WIDTH  MEANING (repeated per key)
//   0       4      index table id, little-endian
//   4       4      suffix, little-endian
constexpr size_t kSuffixEntrySize = 8;
uint32_t DuplicateSuffix(const std::string& suffixes, int64_t tableId, uint32_t position);
// Sets (suffix != position) or removes (suffix == position) a key's suffix.
void SetDuplicateSuffix(std::string& suffixes, int64_t tableId, uint32_t suffix, uint32_t position);

// Bound greater than every entry whose key encodes to `encoded` (any
// position) and less than every entry of a greater key.
void UpperBound(const std::string& encoded, std::string& out);

}  // namespace qdx::engine
