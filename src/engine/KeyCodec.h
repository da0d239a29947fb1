#pragma once
// The key layer: turns key values into bytes whose memcmp order is the key
// order, so that SQLite's BLOB comparison sorts every index correctly.
//
// A key value ("key image") is the concatenation of the key's segments as they
// lie in the record; that is what callers put in and get back in the key
// buffer. Each segment encodes to a fixed width that depends only on its type
// and length, so segments never bleed into each other and a descending
// segment is simply its bytes inverted. Index entries of a duplicates key are
// the encoded key followed by the record's 4-byte position (big-endian), so
// equal keys keep the order in which their records were inserted.

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

// The index entry of one record: the encoding, plus the position for
// duplicates keys.
void IndexEntry(const KeyDef& key, const uint8_t* image, uint32_t position, std::string& out);

// Bound greater than every entry whose key encodes to `encoded` (any
// position) and less than every entry of a greater key.
void UpperBound(const std::string& encoded, std::string& out);

}  // namespace qdx::engine
