#include "engine/KeyCodec.h"

#include <cstring>

#include "base/Endian.h"

namespace qdx::engine {

namespace {

uint8_t Fold(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - 'a' + 'A') : c; }

void Put(std::string& out, uint8_t b) { out.push_back(static_cast<char>(b)); }

// Little-endian unsigned of any length: most significant byte first.
void EncodeUnsigned(const uint8_t* p, size_t n, std::string& out) {
    for (size_t i = n; i-- > 0;) Put(out, p[i]);
}

// Two's complement little-endian: big-endian with the sign bit flipped.
void EncodeSigned(const uint8_t* p, size_t n, std::string& out) {
    const size_t start = out.size();
    EncodeUnsigned(p, n, out);
    out[start] = static_cast<char>(static_cast<uint8_t>(out[start]) ^ 0x80);
}

// IEEE single, double and x87 extended share the layout sign | exponent |
// mantissa from the top byte down: positive values order as their magnitude
// with the sign bit set, negative ones with every bit inverted. Both zeros
// encode alike.
void EncodeFloat(const uint8_t* p, size_t n, std::string& out) {
    const size_t start = out.size();
    EncodeUnsigned(p, n, out);
    auto* b = reinterpret_cast<uint8_t*>(&out[start]);
    bool zero = (b[0] & 0x7F) == 0;
    for (size_t i = 1; i < n && zero; ++i) zero = b[i] == 0;
    if (zero) b[0] = 0;
    if (b[0] & 0x80) {
        for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(~b[i]);
    } else {
        b[0] |= 0x80;
    }
}

// Microsoft Binary Format: exponent in the last byte, sign in the top bit of
// the byte before it, mantissa below. Encoded as a sign class byte, then the
// magnitude (exponent first), inverted for negatives; exponent 0 is zero.
void EncodeBFloat(const uint8_t* p, size_t n, std::string& out) {
    const uint8_t exponent = p[n - 1];
    const bool negative = exponent != 0 && (p[n - 2] & 0x80);
    const uint8_t mask = negative ? 0xFF : 0x00;
    Put(out, negative ? 0 : 1);
    Put(out, exponent ^ mask);
    for (size_t i = n - 1; i-- > 0;) {
        uint8_t b = exponent == 0 ? 0 : p[i];
        if (i == n - 2) b &= 0x7F;
        Put(out, b ^ mask);
    }
}

// Packed decimal: two digits a byte, the low half of the last byte is the
// sign (0xD negative, anything else positive; the first format also took 0xB
// as negative). Encoded as a sign class byte and one byte per digit, digits
// inverted for negatives; minus zero is zero.
void EncodeDecimal(const uint8_t* p, size_t n, int order, std::string& out) {
    const uint8_t sign = p[n - 1] & 0x0F;
    bool negative = sign == 0x0D || (order == kKeyOrderFirst && sign == 0x0B);
    bool allZero = true;
    for (size_t i = 0; i < n; ++i) {
        if ((p[i] >> 4) != 0 || (i + 1 < n && (p[i] & 0x0F) != 0)) allZero = false;
    }
    if (allZero) negative = false;
    Put(out, negative ? 0 : 1);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t hi = p[i] >> 4;
        Put(out, negative ? uint8_t(15 - hi) : hi);
        if (i + 1 < n) {
            const uint8_t lo = p[i] & 0x0F;
            Put(out, negative ? uint8_t(15 - lo) : lo);
        }
    }
}

// The last digit of a Numeric or NumericSA value carries the sign in its
// zone: '0'-'9' (or '{' 'A'-'I') positive, '}' 'J'-'R' or 'p'-'y' negative.
// Any other byte reads as a positive 0.
struct SignedDigitRange {
    uint8_t first, last;
    uint8_t firstDigit;
    bool negative;
};
constexpr SignedDigitRange kSignedDigits[] = {
    {'0', '9', 0, false}, {'{', '{', 0, false}, {'A', 'I', 1, false},
    {'}', '}', 0, true},  {'J', 'R', 1, true},  {'p', 'y', 0, true},
};

uint8_t PlainDigit(uint8_t c) { return (c >= '0' && c <= '9') ? uint8_t(c - '0') : 0; }

uint8_t SignedDigit(uint8_t c, bool* negative) {
    for (const SignedDigitRange& r : kSignedDigits) {
        if (c >= r.first && c <= r.last) {
            *negative = r.negative;
            return uint8_t(r.firstDigit + (c - r.first));
        }
    }
    *negative = false;
    return 0;
}

// Numeric, NumericSA (sign in the last digit) and NumericSTS (ASCII digits
// then a separate '+' or '-' byte): right-aligned ASCII digits with leading
// zeros or blanks, a non-digit counting as 0. Encoded like packed decimal:
// a sign class byte, then one byte per digit, inverted for negatives.
void EncodeNumeric(const uint8_t* p, size_t n, bool separateSign, std::string& out) {
    const size_t digits = separateSign ? n - 1 : n;
    bool negative = separateSign && p[n - 1] == '-';
    const size_t start = out.size();
    Put(out, 1);
    bool allZero = true;
    for (size_t i = 0; i < digits; ++i) {
        const uint8_t d = (!separateSign && i + 1 == digits) ? SignedDigit(p[i], &negative) : PlainDigit(p[i]);
        if (d) allZero = false;
        Put(out, d);
    }
    if (negative && !allZero) {
        out[start] = 0;
        for (size_t i = start + 1; i < out.size(); ++i) out[i] = static_cast<char>(9 - out[i]);
    }
}

void EncodeText(const uint8_t* p, size_t n, bool fold, std::string& out) {
    for (size_t i = 0; i < n; ++i) Put(out, fold ? Fold(p[i]) : p[i]);
}

// Zero-terminated text: bytes after the terminator do not count.
void EncodeZString(const uint8_t* p, size_t n, bool fold, std::string& out) {
    size_t len = 0;
    while (len < n && p[len] != 0) ++len;
    EncodeText(p, len, fold, out);
    out.append(n - len, '\0');
}

// Length byte then text: the text zero-padded, then the length, so that a
// text sorts before its extensions even when they add zero bytes.
void EncodeLString(const uint8_t* p, size_t n, bool fold, std::string& out) {
    size_t len = p[0];
    if (len > n - 1) len = n - 1;
    EncodeText(p + 1, len, fold, out);
    out.append(n - 1 - len, '\0');
    Put(out, static_cast<uint8_t>(len));
}

void EncodeSegment(const Segment& s, int order, const uint8_t* p, std::string& out) {
    const size_t n = s.length;
    switch (s.type()) {
    case kTypeInteger:
    case kTypeAutoIncrement:
    case kTypeCurrency: EncodeSigned(p, n, out); break;
    case kTypeUnsigned:
    case kTypeLegacyBinary:
    case kTypeLogical:
    case kTypeBit: EncodeUnsigned(p, n, out); break;
    case kTypeFloat: EncodeFloat(p, n, out); break;
    case kTypeBFloat: EncodeBFloat(p, n, out); break;
    case kTypeDate:  // day, month, year (16-bit)
        Put(out, p[3]); Put(out, p[2]); Put(out, p[1]); Put(out, p[0]);
        break;
    case kTypeTime:  // hundredths, seconds, minutes, hours
        Put(out, p[3]); Put(out, p[2]); Put(out, p[1]); Put(out, p[0]);
        break;
    case kTypeDecimal:
    case kTypeMoney: EncodeDecimal(p, n, order, out); break;
    case kTypeNumeric:
    case kTypeNumericSA:
    case kTypeNumericSTS:
        if (order == kKeyOrderFirst) {
            EncodeText(p, n, s.foldCase(), out);
        } else {
            EncodeNumeric(p, n, s.type() == kTypeNumericSTS, out);
        }
        break;
    case kTypeZString: EncodeZString(p, n, s.foldCase(), out); break;
    case kTypeLString: EncodeLString(p, n, s.foldCase(), out); break;
    default: EncodeText(p, n, s.foldCase(), out); break;
    }
}

}  // namespace

void ExtractKey(const KeyDef& key, const uint8_t* record, size_t recordLength, std::string& image) {
    image.clear();
    for (const Segment& s : key.segments) {
        const size_t start = s.position - 1u;
        for (size_t i = 0; i < s.length; ++i) {
            const size_t at = start + i;
            image.push_back(at < recordLength ? static_cast<char>(record[at]) : '\0');
        }
    }
}

void StoreKey(const KeyDef& key, const uint8_t* image, uint8_t* record) {
    for (const Segment& s : key.segments) {
        std::memcpy(record + s.position - 1, image, s.length);
        image += s.length;
    }
}

bool IsNullKey(const KeyDef& key, const uint8_t* image) {
    const uint16_t flags = key.flags();
    if (!(flags & (kSegNullAll | kSegNullAny))) return false;
    const bool any = flags & kSegNullAny;
    bool all = true;
    for (const Segment& s : key.segments) {
        bool isNull = true;
        for (size_t i = 0; i < s.length && isNull; ++i) isNull = image[i] == s.nullValue;
        image += s.length;
        if (isNull && any) return true;
        if (!isNull) all = false;
    }
    return !any && all;
}

void EncodeKey(const KeyDef& key, const uint8_t* image, std::string& out) {
    out.clear();
    for (const Segment& s : key.segments) {
        const size_t start = out.size();
        EncodeSegment(s, key.order, image, out);
        if (s.descending()) {
            for (size_t i = start; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
        }
        image += s.length;
    }
}

void IndexEntry(const KeyDef& key, const uint8_t* image, uint32_t suffix, std::string& out) {
    EncodeKey(key, image, out);
    if (key.duplicates()) {
        for (int shift = 24; shift >= 0; shift -= 8) Put(out, static_cast<uint8_t>(suffix >> shift));
    }
}

uint32_t DuplicateSuffix(const std::string& suffixes, int64_t tableId, uint32_t position) {
    for (size_t at = 0; at + kSuffixEntrySize <= suffixes.size(); at += kSuffixEntrySize) {
        if (le::GetU32(suffixes.data() + at) == static_cast<uint32_t>(tableId))
            return le::GetU32(suffixes.data() + at + 4);
    }
    return position;
}

void SetDuplicateSuffix(std::string& suffixes, int64_t tableId, uint32_t suffix, uint32_t position) {
    for (size_t at = 0; at + kSuffixEntrySize <= suffixes.size(); at += kSuffixEntrySize) {
        if (le::GetU32(suffixes.data() + at) == static_cast<uint32_t>(tableId)) {
            suffixes.erase(at, kSuffixEntrySize);
            break;
        }
    }
    if (suffix == position) return;
    char entry[kSuffixEntrySize];
    le::PutU32(entry, static_cast<uint32_t>(tableId));
    le::PutU32(entry + 4, suffix);
    suffixes.append(entry, kSuffixEntrySize);
}

void UpperBound(const std::string& encoded, std::string& out) {
    out = encoded;
    out.append(5, '\xFF');
}

}  // namespace qdx::engine
