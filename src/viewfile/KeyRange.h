#pragma once
// KeyRange: the lower and upper key of a view's index with a bound flag per
// segment, built from the texts typed (or saved) for each segment.
//
// Each segment's bound sits at the segment's place in the key (the
// segment's offset), encoded as its field type encodes it in a record. A
// segment without a bound holds its type's lowest value in `from` and its
// highest in `to`, swapped for a descending segment, so that a Get Greater
// or Equal from `from` starts at the first key in range.

#include <array>
#include <cstdint>
#include <vector>

#include "base/Estring.h"

class FieldList;

constexpr int kRangeKeySize = 255;

struct KeyRange {
    std::array<uint8_t, kRangeKeySize> from{};
    std::array<uint8_t, kRangeKeySize> to{};
    std::vector<uint8_t> hasFrom;  // per segment
    std::vector<uint8_t> hasTo;
    bool active = false;           // at least one segment has a bound

    // No bounds: every segment at its open end (segments may be null: no index).
    void Reset(const FieldList* segments);

    // Sets the bounds from one text per segment (missing or empty texts leave
    // that side of the segment open). A text that the segment's type cannot
    // hold leaves the place as the codec leaves it and still counts as a bound.
    void SetBounds(const FieldList& segments, const std::vector<Estring>& lower, const std::vector<Estring>& upper);

    // The bounds as plain-form texts, empty for a segment without one.
    std::vector<Estring> LowerTexts(const FieldList& segments) const;
    std::vector<Estring> UpperTexts(const FieldList& segments) const;

    // Whether key (kRangeKeySize bytes) lies in the range: the lexicographic
    // interval from `from` to `to`, each segment compared in its own
    // direction; a segment without a bound on a side leaves it and every
    // later segment free on that side. Always true when not active.
    bool Contains(const FieldList& segments, const uint8_t* key) const;

    // True when key lies past the upper end (the scan in key order can stop).
    bool PastEnd(const FieldList& segments, const uint8_t* key) const;
};
