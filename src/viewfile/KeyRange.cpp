#include "viewfile/KeyRange.h"

#include "engine/Contract.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"

namespace {

bool Descending(const FieldAttributes& segment) { return (segment.flags & qdx::wire::kSegDescending) != 0; }

void OpenLower(const FieldAttributes& segment, uint8_t* key) {
    if (Descending(segment)) SetFieldHighest(segment, key, kRangeKeySize);
    else SetFieldLowest(segment, key, kRangeKeySize);
}

void OpenUpper(const FieldAttributes& segment, uint8_t* key) {
    if (Descending(segment)) SetFieldLowest(segment, key, kRangeKeySize);
    else SetFieldHighest(segment, key, kRangeKeySize);
}

const Estring& TextAt(const std::vector<Estring>& texts, int i) {
    static const Estring kNone;
    return i < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(i)] : kNone;
}

std::vector<Estring> Texts(const FieldList& segments, const uint8_t* key, const std::vector<uint8_t>& has) {
    std::vector<Estring> texts;
    for (int i = 0; i < segments.Count(); ++i) {
        bool set = i < static_cast<int>(has.size()) && has[static_cast<size_t>(i)];
        texts.push_back(set ? FieldToText(*segments.Get(i), key, kRangeKeySize, false) : Estring());
    }
    return texts;
}

}  // namespace

void KeyRange::Reset(const FieldList* segments) {
    from.fill(0);
    to.fill(0);
    active = false;
    int n = segments ? segments->Count() : 0;
    hasFrom.assign(static_cast<size_t>(n), 0);
    hasTo.assign(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        OpenLower(*segments->Get(i), from.data());
        OpenUpper(*segments->Get(i), to.data());
    }
}

void KeyRange::SetBounds(const FieldList& segments, const std::vector<Estring>& lower,
                         const std::vector<Estring>& upper) {
    Reset(&segments);
    for (int i = 0; i < segments.Count(); ++i) {
        const FieldAttributes& segment = *segments.Get(i);
        const Estring& low = TextAt(lower, i);
        if (!low.IsEmpty()) {
            hasFrom[static_cast<size_t>(i)] = 1;
            active = true;
            FieldFromText(segment, from.data(), kRangeKeySize, low.View());
        }
        const Estring& high = TextAt(upper, i);
        if (!high.IsEmpty()) {
            hasTo[static_cast<size_t>(i)] = 1;
            active = true;
            FieldFromText(segment, to.data(), kRangeKeySize, high.View());
        }
    }
}

std::vector<Estring> KeyRange::LowerTexts(const FieldList& segments) const {
    return Texts(segments, from.data(), hasFrom);
}

std::vector<Estring> KeyRange::UpperTexts(const FieldList& segments) const {
    return Texts(segments, to.data(), hasTo);
}

// L and U: the key's place against the lower and the upper end, decided by
// the first segment that differs (0 = undecided so far).
static void Place(const KeyRange& range, const FieldList& segments, const uint8_t* key, int& lower, int& upper) {
    lower = 0;
    upper = 0;
    for (int i = 0; i < segments.Count(); ++i) {
        const FieldAttributes& segment = *segments.Get(i);
        int dir = Descending(segment) ? -1 : 1;
        size_t s = static_cast<size_t>(i);
        if (s >= range.hasFrom.size() || !range.hasFrom[s]) {
            if (lower == 0) lower = 1;
        }
        if (s >= range.hasTo.size() || !range.hasTo[s]) {
            if (upper == 0) upper = -1;
        }
        if (lower == 0)
            lower = dir * CompareField(segment, key, kRangeKeySize, range.from.data(), kRangeKeySize);
        if (upper == 0) upper = dir * CompareField(segment, key, kRangeKeySize, range.to.data(), kRangeKeySize);
        if (lower < 0 || upper > 0) return;
        if (lower > 0 && upper < 0) return;
    }
}

bool KeyRange::Contains(const FieldList& segments, const uint8_t* key) const {
    if (!active) return true;
    int lower = 0, upper = 0;
    Place(*this, segments, key, lower, upper);
    return !(lower < 0 || upper > 0);
}

bool KeyRange::PastEnd(const FieldList& segments, const uint8_t* key) const {
    if (!active) return false;
    int lower = 0, upper = 0;
    Place(*this, segments, key, lower, upper);
    return upper > 0;
}
