#pragma once
// The key specification of Create Supplemental Index, built from a table's
// fields, and the create and drop operations on an open file.
//
// One 16-byte entry per segment (the wire contract's segment entry):
//   OFFSET  WIDTH  MEANING
//   0       2      the field's position in the record, 1-based
//   2       2      the field's length
//   4       2      key flags: duplicates 0x0001, modifiable 0x0002 and the
//                  null-key bit (all segments 0x0008, any segment 0x0200)
//                  chosen for the key; 0x0010 on every segment but the last;
//                  0x0040 descending; 0x0100 always (the type byte is used);
//                  0x0400 case-insensitive (text fields only)
//   6       4      0
//   10      1      the field's type code
//   11      1      null value 0
//   12      4      0

#include <cstdint>
#include <string>
#include <vector>

#include "base/Estring.h"

class BtrieveFile;
class DictionaryDef;
class FieldAttributes;
class FieldList;

enum class NullKey { kNone, kAllSegments, kAnySegment };

struct IndexOptions {
    bool duplicates = false;
    bool modifiable = false;
    NullKey nullKey = NullKey::kNone;
};

// One segment of a key being defined. The field is the caller's and must
// outlive the segment.
struct IndexSegment {
    const FieldAttributes* field = nullptr;
    bool descending = false;
    bool caseSensitive = false;  // meaningful for text fields only
};

// A new segment: ascending and, for a text field, case-insensitive.
IndexSegment NewIndexSegment(const FieldAttributes& field);
// True when the segment's field is of a text type (the case choice applies).
bool HasCase(const IndexSegment& segment);

// The specification for segments in order (16 bytes each; empty for none).
std::vector<uint8_t> BuildKeySpecification(const std::vector<IndexSegment>& segments, const IndexOptions& options);

// Create Supplemental Index with that specification; the engine status.
// No segments answers 22 (data buffer length) without an engine call.
int CreateIndex(BtrieveFile& file, const std::vector<IndexSegment>& segments, const IndexOptions& options);

// Drop Supplemental Index; without renumbering the engine keeps the numbers
// of the indexes above (the key number is sent plus 128).
int DropIndex(BtrieveFile& file, int keyNumber, bool renumber);

// Reads the table's index definitions again from the open file (Stat). The
// bound flags (hasFrom / hasTo) of index followKey carry over to where that
// index is afterwards; the caller says how its number moved (newFollowKey,
// -1 when it is gone). False when Stat fails or the specification names a
// field the table lacks (the indexes are then as the failed read left them).
bool RereadIndexes(DictionaryDef& table, BtrieveFile& file, int followKey, int newFollowKey);

// Where key number `key` is after dropping `dropped`: -1 when it was the one
// dropped, one lower when it was above it and the indexes were renumbered.
int KeyAfterDrop(int key, int dropped, bool renumber);

// Reads a key description for scripts: segments separated by ",", each a
// field name of fields (A-Z case ignored, not calculated) optionally
// followed by "/" and flags, themselves separated by "/": "asc", "desc",
// "case" (case-sensitive), "nocase" (case-insensitive, the default for
// text). False with error set for an unknown field or flag, an empty
// segment, or a case flag on a field that is not text.
bool ParseIndexSegments(const std::string& text, const FieldList& fields, std::vector<IndexSegment>& segments,
                        std::string& error);
