// CompareField: the order of one field's values in two records.

#include <cstring>

#include "base/Endian.h"
#include "fields/FieldBytes.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"

namespace {

template <typename T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Text order; the end of a text counts as a zero byte. map (256 entries)
// maps every byte first when given; fold takes A-Z as a-z.
int CompareText(std::string_view a, std::string_view b, const uint8_t* map, bool fold) {
    size_t n = a.size() > b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = i < a.size() ? static_cast<unsigned char>(a[i]) : -1;
        int cb = i < b.size() ? static_cast<unsigned char>(b[i]) : -1;
        if (map != nullptr) {
            ca = ca < 0 ? 0 : map[ca];
            cb = cb < 0 ? 0 : map[cb];
        } else {
            if (ca < 0) ca = 0;
            if (cb < 0) cb = 0;
            if (fold) {
                if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
                if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
            }
        }
        if (ca != cb) return ca - cb;
    }
    return 0;
}

long double FloatValue(const uint8_t* p, int length) {
    switch (length) {
        case 4: {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case 8: {
            double v;
            std::memcpy(&v, p, 8);
            return v;
        }
        default: {
            long double v = 0;
            std::memcpy(&v, p, 10);
            return v;
        }
    }
}

// Packed decimals of one field compared digit by digit (exact for any length).
int CompareDecimal(const uint8_t* a, const uint8_t* b, int length) {
    auto digit = [](const uint8_t* p, int k) { return k % 2 == 0 ? p[k / 2] >> 4 : p[k / 2] & 0x0F; };
    const int count = 2 * length - 1;
    bool zeroA = true, zeroB = true;
    int magnitude = 0;
    for (int k = 0; k < count; ++k) {
        int da = digit(a, k), db = digit(b, k);
        zeroA = zeroA && da == 0;
        zeroB = zeroB && db == 0;
        if (magnitude == 0 && da != db) magnitude = da < db ? -1 : 1;
    }
    bool negativeA = !zeroA && (a[length - 1] & 0x0F) == 0xD;
    bool negativeB = !zeroB && (b[length - 1] & 0x0F) == 0xD;
    if (negativeA != negativeB) return negativeA ? -1 : 1;
    return negativeA ? -magnitude : magnitude;
}

}  // namespace

int CompareField(const FieldAttributes& field, const uint8_t* recordA, int lengthA, const uint8_t* recordB,
                 int lengthB) {
    // A joined field's records are not the ones given: it cannot be compared.
    if (field.join != nullptr || field.type == kTypeCalculated) return 0;
    if (IsTextType(field.type)) {
        Estring a = FieldToText(field, recordA, lengthA, false);
        Estring b = FieldToText(field, recordB, lengthB, false);
        const uint8_t* map = nullptr;
        if ((field.flags & kFieldFlagAlternateCollation) && field.owner != nullptr)
            map = field.owner->AlternateCollatingSequence();
        return CompareText(a.View(), b.View(), map, (field.flags & kFieldFlagCaseInsensitive) != 0);
    }
    FieldBytes bytesA = LocateField(field, recordA, lengthA);
    FieldBytes bytesB = LocateField(field, recordB, lengthB);
    if (!bytesA.Whole() || !bytesB.Whole()) return 0;
    const uint8_t* a = bytesA.data;
    const uint8_t* b = bytesB.data;
    int length = field.length;
    bool integerLength = IsIntegerLength(length);
    switch (field.type) {
        case kTypeInteger:
        case kTypeAutoIncrement:
            return integerLength ? Sign(le::GetSigned(a, length), le::GetSigned(b, length)) : 0;
        case kTypeLogical:
        case kTypeBit: {
            int n = length > 8 ? 8 : length;
            return n >= 1 ? Sign(le::GetSigned(a, n), le::GetSigned(b, n)) : 0;
        }
        case kTypeUnsignedInteger:
            return integerLength ? Sign(le::GetUnsigned(a, length), le::GetUnsigned(b, length)) : 0;
        case kTypeFloat:
            return (length == 4 || length == 8 || length == 10) ? Sign(FloatValue(a, length), FloatValue(b, length))
                                                               : 0;
        case kTypeBFloat:
            if (length == 4) return Sign(MbfSingleToDouble(a), MbfSingleToDouble(b));
            if (length == 8) return Sign(MbfDoubleToDouble(a), MbfDoubleToDouble(b));
            return 0;
        case kTypeDate:
        case kTypeTime:
            return length >= 4 ? Sign(le::GetU32(a), le::GetU32(b)) : 0;
        case kTypeDecimal:
            return length >= 1 ? CompareDecimal(a, b, length) : 0;
        case kTypeCurrency:
            return length == 8 ? Sign(le::GetI64(a), le::GetI64(b)) : 0;
        default:
            return 0;
    }
}
