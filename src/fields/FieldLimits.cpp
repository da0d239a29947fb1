// Lowest and highest values of each type, written as key range ends.
//
// The field is first filled (0x00 for the lowest, 0xFF for the highest), then
// the type writes its own extremes over the fill.

#include <cfloat>
#include <cstring>

#include "base/Endian.h"
#include "fields/FieldBytes.h"
#include "fields/FieldCodec.h"

namespace {

constexpr uint8_t kHighText = 0x7F;       // highest byte of text keys
constexpr uint8_t kDecimalNines = 0x99;   // two digit halves of 9
constexpr uint8_t kDecimalNegative = 0xD;
constexpr uint8_t kDecimalPositive = 0xF;

void WriteFloatLimit(uint8_t* p, int length, bool highest) {
    switch (length) {
        case 4: {
            float value = highest ? FLT_MAX : -FLT_MAX;
            std::memcpy(p, &value, 4);
            break;
        }
        case 8: {
            double value = highest ? DBL_MAX : -DBL_MAX;
            std::memcpy(p, &value, 8);
            break;
        }
        case 10: {
            // The fill alone would be 0 and a NaN; the extended extremes order correctly.
            long double value = highest ? LDBL_MAX : -LDBL_MAX;
            std::memcpy(p, &value, 10);
            break;
        }
        default:
            break;
    }
}

// The largest MBF magnitude: exponent 255, every mantissa bit set; the
// lowest is the same with the sign bit.
void WriteBFloatLimit(uint8_t* p, int length, bool highest) {
    if (length != 4 && length != 8) return;
    std::memset(p, 0xFF, static_cast<size_t>(length));
    if (highest) p[length - 2] = 0x7F;
}

void SetLimit(const FieldAttributes& field, uint8_t* record, int recordLength, bool highest) {
    if (field.type == kTypeCalculated) return;
    FieldBytes bytes = LocateField(field, record, recordLength);
    if (bytes.data == nullptr) return;
    uint8_t* p = bytes.data;
    const uint8_t fill = highest ? 0xFF : 0x00;
    if (IsTextType(field.type)) {
        int n = bytes.available;  // text fields are written as far as they lie in the record
        std::memset(p, fill, static_cast<size_t>(n));
        if (!highest || n == 0) return;
        switch (field.type) {
            case kTypeString:
                std::memset(p, kHighText, static_cast<size_t>(n));
                break;
            case kTypeLString:
                std::memset(p, kHighText, static_cast<size_t>(n));
                p[0] = static_cast<uint8_t>(n - 1 > 255 ? 255 : n - 1);
                break;
            case kTypeZString:
                std::memset(p, kHighText, static_cast<size_t>(n - 1));
                p[n - 1] = 0;
                break;
            default:
                break;  // Note keeps the fill
        }
        return;
    }
    if (!bytes.Whole()) return;
    int length = bytes.length;
    std::memset(p, fill, static_cast<size_t>(length));
    switch (field.type) {
        case kTypeInteger:
        case kTypeAutoIncrement:
            if (IsIntegerLength(length)) p[length - 1] = highest ? 0x7F : 0x80;
            break;
        case kTypeCurrency:
            // Signed like Integer: the fill alone would make 0 the lowest and -1 the highest.
            if (length == 8) p[7] = highest ? 0x7F : 0x80;
            break;
        case kTypeFloat:
            WriteFloatLimit(p, length, highest);
            break;
        case kTypeBFloat:
            WriteBFloatLimit(p, length, highest);
            break;
        case kTypeDecimal:
            if (length < 1) break;
            std::memset(p, kDecimalNines, static_cast<size_t>(length));
            p[length - 1] = static_cast<uint8_t>(0x90 | (highest ? kDecimalPositive : kDecimalNegative));
            break;
        case kTypeLogical:
        case kTypeBit:
            if (highest && length >= 1) {
                std::memset(p, 0, static_cast<size_t>(length));
                p[0] = 1;
            }
            break;
        default:
            break;  // Unsigned Integer, Date, Time and the rest keep the fill
    }
}

}  // namespace

void SetFieldLowest(const FieldAttributes& field, uint8_t* record, int recordLength) {
    SetLimit(field, record, recordLength, false);
}

void SetFieldHighest(const FieldAttributes& field, uint8_t* record, int recordLength) {
    SetLimit(field, record, recordLength, true);
}
