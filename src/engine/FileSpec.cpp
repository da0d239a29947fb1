#include "engine/FileSpec.h"

#include <algorithm>
#include <cstring>

#include "base/Endian.h"

namespace qdx::engine {

uint8_t Segment::type() const {
    if (flags & kSegExtendedType) return extendedType;
    return (flags & kSegBinary) ? kTypeLegacyBinary : kTypeString;
}

size_t KeyDef::length() const {
    size_t n = 0;
    for (const Segment& s : segments) n += s.length;
    return n;
}

int KeyDef::autoIncrementSegment() const {
    for (size_t i = 0; i < segments.size(); ++i)
        if (segments[i].type() == kTypeAutoIncrement) return static_cast<int>(i);
    return -1;
}

bool KeyDef::orderDependsOnVersion() const {
    for (const Segment& s : segments) {
        switch (s.type()) {
        case kTypeDecimal:
        case kTypeMoney:
        case kTypeNumeric:
        case kTypeNumericSTS:
        case kTypeNumericSA: return true;
        default: break;
        }
    }
    return false;
}

const KeyDef* FileSpec::findKey(int keyNumber) const {
    for (const KeyDef& k : keys)
        if (k.keyNumber == keyNumber) return &k;
    return nullptr;
}

size_t FileSpec::segmentCount() const {
    size_t n = 0;
    for (const KeyDef& k : keys) n += k.segments.size();
    return n;
}

namespace {

Segment ReadSegment(const uint8_t* e) {
    Segment s;
    s.position = le::GetU16(e + kSegPosition);
    s.length = le::GetU16(e + kSegLength);
    s.flags = le::GetU16(e + kSegFlags);
    s.extendedType = e[kSegType];
    s.nullValue = e[kSegNullValue];
    s.collation = e[kSegCollation];
    return s;
}

// Lengths each fixed-size type accepts; 0 ends a list, an empty list means any.
struct TypeLengths {
    uint8_t type;
    uint16_t lengths[4];
};
constexpr TypeLengths kTypeLengths[] = {
    {kTypeInteger, {1, 2, 4, 8}},  {kTypeUnsigned, {1, 2, 4, 8}},
    {kTypeAutoIncrement, {1, 2, 4, 8}}, {kTypeFloat, {4, 8, 10, 0}},
    {kTypeBFloat, {4, 8, 0, 0}},   {kTypeDate, {4, 0, 0, 0}},
    {kTypeTime, {4, 0, 0, 0}},     {kTypeCurrency, {8, 0, 0, 0}},
};

Status CheckSegmentType(const Segment& s) {
    const uint8_t t = s.type();
    if (t == kTypeNote || t == kTypeLvar) return kKeyTypeError;
    if (t > kTypeCurrency && t != kTypeLegacyBinary) return kKeyTypeError;
    if (s.length == 0) return kInvalidKeyLength;
    if (t == kTypeLString && s.length < 2) return kInvalidKeyLength;
    for (const TypeLengths& tl : kTypeLengths) {
        if (tl.type != t) continue;
        for (uint16_t len : tl.lengths)
            if (len != 0 && len == s.length) return kOk;
        return kInvalidKeyLength;
    }
    return kOk;
}

// Flags every segment of one key must agree on.
constexpr uint16_t kKeyWideFlags = kSegDuplicates | kSegModifiable | kSegNullAll | kSegNullAny;

// Validates one key against the record; createMode distinguishes a key that
// starts inside the record but runs past it (record too short, 28) from one
// placed outside it (27). Supplemental indexes always answer 27.
Status ValidateKey(const KeyDef& key, uint16_t recordLength, bool createMode) {
    if (key.segments.empty()) return kInvalidNumberOfKeys;
    const uint16_t wide = key.segments[0].flags & kKeyWideFlags;
    if ((wide & kSegNullAll) && (wide & kSegNullAny)) return kInconsistentKeyFlags;
    for (size_t i = 0; i < key.segments.size(); ++i) {
        const Segment& s = key.segments[i];
        if (Status st = CheckSegmentType(s)) return st;
        if ((s.flags & kKeyWideFlags) != wide) return kInconsistentKeyFlags;
        if (s.position == 0 || s.position > recordLength) return kInvalidKeyPosition;
        if (uint32_t(s.position) + s.length - 1 > recordLength)
            return createMode ? kInvalidRecordLength : kInvalidKeyPosition;
        // An auto-increment value is found from the key's first segment.
        if (s.type() == kTypeAutoIncrement && i != 0) return kInconsistentKeyFlags;
    }
    if (key.length() > kMaxKeyLength) return kInvalidKeyLength;
    return kOk;
}

// Reads one key's chained segments starting at *offset.
Status ReadKey(const uint8_t* buffer, size_t length, size_t* offset, KeyDef& key) {
    key.segments.clear();
    for (;;) {
        if (*offset + kSegmentEntrySize > length) return kDataBufferLength;
        Segment s = ReadSegment(buffer + *offset);
        *offset += kSegmentEntrySize;
        key.segments.push_back(s);
        if (!(s.flags & kSegSegmented)) return kOk;
        if (key.segments.size() > kMaxKeyLength) return kInvalidKeyLength;
    }
}

}  // namespace

Status ParseCreateSpec(const uint8_t* buffer, size_t length, FileSpec& out) {
    if (!buffer || length < kSpecHeaderSize) return kDataBufferLength;
    FileSpec spec;
    spec.recordLength = le::GetU16(buffer + kSpecRecordLength);
    spec.pageSize = le::GetU16(buffer + kSpecPageSize);
    const uint16_t keyCount = le::GetU16(buffer + kSpecKeyCount);
    spec.fileFlags = le::GetU16(buffer + kSpecFileFlags);
    if (spec.pageSize < 512 || spec.pageSize > 16384 || spec.pageSize % 512 != 0)
        return kPageSizeError;
    if (keyCount > kMaxKeys) return kInvalidNumberOfKeys;
    if (spec.recordLength == 0 || spec.recordLength > kMaxRecordLength) return kInvalidRecordLength;
    size_t offset = kSpecHeaderSize;
    for (int k = 0; k < keyCount; ++k) {
        KeyDef key;
        key.keyNumber = k;
        if (Status st = ReadKey(buffer, length, &offset, key)) return st;
        if (Status st = ValidateKey(key, spec.recordLength, true)) return st;
        spec.keys.push_back(std::move(key));
    }
    out = std::move(spec);
    return kOk;
}

Status ParseIndexSpec(const uint8_t* buffer, size_t length, const FileSpec& file, KeyDef& out) {
    if (!buffer || length < kSegmentEntrySize || length % kSegmentEntrySize != 0)
        return kDataBufferLength;
    if (file.keys.size() >= static_cast<size_t>(kMaxKeys)) return kInvalidNumberOfKeys;
    KeyDef key;
    const size_t count = length / kSegmentEntrySize;
    for (size_t i = 0; i < count; ++i) {
        Segment s = ReadSegment(buffer + i * kSegmentEntrySize);
        const bool last = i + 1 == count;
        // The chain flag must join exactly the segments given.
        if (bool(s.flags & kSegSegmented) == last) return kInconsistentKeyFlags;
        key.segments.push_back(s);
    }
    if (Status st = ValidateKey(key, file.recordLength, false)) return st;
    int next = 0;
    for (const KeyDef& k : file.keys) next = std::max(next, k.keyNumber + 1);
    if (next >= kMaxKeys) return kInvalidNumberOfKeys;
    key.keyNumber = next;
    out = std::move(key);
    return kOk;
}

void WriteStat(const FileSpec& spec, uint32_t recordCount,
               const std::vector<uint32_t>& uniqueCounts, uint8_t* buffer) {
    std::memset(buffer, 0, spec.statSize());
    le::PutU16(buffer + kSpecRecordLength, spec.recordLength);
    le::PutU16(buffer + kSpecPageSize, spec.pageSize);
    buffer[kSpecKeyCount] = static_cast<uint8_t>(spec.keys.size());
    buffer[kSpecVersion] = kStatVersion;
    le::PutU32(buffer + kSpecRecordCount, recordCount);
    le::PutU16(buffer + kSpecFileFlags, spec.fileFlags);
    uint8_t* e = buffer + kSpecHeaderSize;
    for (size_t k = 0; k < spec.keys.size(); ++k) {
        const KeyDef& key = spec.keys[k];
        for (const Segment& s : key.segments) {
            le::PutU16(e + kSegPosition, s.position);
            le::PutU16(e + kSegLength, s.length);
            le::PutU16(e + kSegFlags, s.flags);
            le::PutU32(e + kSegUniqueCount, k < uniqueCounts.size() ? uniqueCounts[k] : 0);
            e[kSegType] = s.type() == kTypeLegacyBinary ? uint8_t(kTypeUnsigned) : s.type();
            e[kSegNullValue] = s.nullValue;
            e[kSegKeyNumber] = static_cast<uint8_t>(key.keyNumber);
            e[kSegCollation] = s.collation;
            e += kSegmentEntrySize;
        }
    }
}

std::string EncodeSegments(const KeyDef& key) {
    std::string blob(key.segments.size() * kSegmentEntrySize, '\0');
    auto* e = reinterpret_cast<uint8_t*>(&blob[0]);
    for (const Segment& s : key.segments) {
        le::PutU16(e + kSegPosition, s.position);
        le::PutU16(e + kSegLength, s.length);
        le::PutU16(e + kSegFlags, s.flags);
        e[kSegType] = s.extendedType;
        e[kSegNullValue] = s.nullValue;
        e[kSegCollation] = s.collation;
        e += kSegmentEntrySize;
    }
    return blob;
}

bool DecodeSegments(const void* blob, size_t length, KeyDef& out) {
    if (!blob || length == 0 || length % kSegmentEntrySize != 0) return false;
    out.segments.clear();
    const auto* e = static_cast<const uint8_t*>(blob);
    for (size_t i = 0; i < length / kSegmentEntrySize; ++i)
        out.segments.push_back(ReadSegment(e + i * kSegmentEntrySize));
    return true;
}

}  // namespace qdx::engine
