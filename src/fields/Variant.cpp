#include "fields/Variant.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "base/Endian.h"
#include "fields/FieldBytes.h"
#include "fields/FieldCodec.h"
#include "fields/FieldJoin.h"
#include "fields/FieldList.h"

namespace {

// A joined field without a joined record reads as an all-zero field; no
// value reads more than this many of a field's bytes.
constexpr int kZeroFieldBytes = 16;
const uint8_t kZeroField[kZeroFieldBytes] = {};

// Division rounding toward minus infinity, so that day numbers stay right
// before 1 March 1980 too.
int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}


// The bytes of a non-text field: in the record, in the joined record, or the
// all-zero field when the join has no record. Null when the field does not
// lie wholly inside its record.
const uint8_t* ReadableBytes(const FieldAttributes& field, const uint8_t* record, int recordLength) {
    const uint8_t* source = record;
    int sourceLength = recordLength;
    if (field.join != nullptr) {
        source = field.join->JoinedRecord(record, recordLength, sourceLength);
        if (source == nullptr) return kZeroField;
    }
    if (source == nullptr || field.length == 0 || field.offset + field.length > sourceLength) return nullptr;
    return source + field.offset;
}

// Where a non-text field of the record itself is written; null when the
// field does not lie wholly inside the record.
uint8_t* WritableBytes(const FieldAttributes& field, uint8_t* record, int recordLength) {
    if (record == nullptr || field.length == 0 || field.offset + field.length > recordLength) return nullptr;
    return record + field.offset;
}

// Round half to even into 64 bits; false when out of range or not a number.
bool RoundToInteger(long double x, int64_t& out) {
    if (!(x > -9223372036854775809.0L && x < 9223372036854775808.0L)) return false;
    const long double r = std::nearbyintl(x);
    if (r >= 9223372036854775808.0L || r < -9223372036854775808.0L) return false;
    out = static_cast<int64_t>(r);
    return true;
}

bool StoreInteger(const Variant& value, const FieldAttributes& field, uint8_t* bytes) {
    int64_t n = 0;
    switch (value.kind) {
    case VariantKind::kInteger: n = value.integer; break;
    case VariantKind::kReal:
        if (!RoundToInteger(value.real, n)) return false;
        break;
    case VariantKind::kLogical: n = value.logical ? 1 : 0; break;
    default: return false;
    }
    const int length = field.length;
    if (length < 8) {
        const int bits = 8 * length;
        if (field.type == kTypeUnsignedInteger) {
            if (n < 0 || n > (int64_t(1) << bits) - 1) return false;
        } else if (n < -(int64_t(1) << (bits - 1)) || n > (int64_t(1) << (bits - 1)) - 1) {
            return false;
        }
    }
    le::PutN(bytes, static_cast<uint64_t>(n), length);
    return true;
}

bool StoreFloat(const Variant& value, const FieldAttributes& field, uint8_t* bytes) {
    if (!value.IsNumber()) return false;
    const long double x = value.AsReal();
    switch (field.length) {
    case 4: {
        const float f = static_cast<float>(static_cast<double>(x));
        std::memcpy(bytes, &f, 4);
        return true;
    }
    case 8: {
        const double d = static_cast<double>(x);
        std::memcpy(bytes, &d, 8);
        return true;
    }
    case 10:
        std::memcpy(bytes, &x, 10);  // x86 extended: 64-bit mantissa, then sign and exponent
        return true;
    default: return false;
    }
}

// The text a number takes in a text field: integers in decimal, reals in
// general form with up to 18 significant digits in at most 30 characters.
bool TextForTextField(const Variant& value, Estring& text) {
    switch (value.kind) {
    case VariantKind::kString: text = value.string; return true;
    case VariantKind::kInteger: text = IntegerToText(value.integer, 10); return true;
    case VariantKind::kReal: text = FormatReal(value.real, 64, 30, -1, false); return true;
    default: return false;
    }
}

bool StoreCurrency(const Variant& value, const FieldAttributes& field, uint8_t* bytes) {
    if (!value.IsNumber() || field.length != 8) return false;
    int64_t amount = 0;
    if (value.IsInteger()) {
        if (__builtin_mul_overflow(value.integer, int64_t(10000), &amount)) return false;
    } else if (!RoundToInteger(value.real * 10000, amount)) {
        return false;
    }
    le::PutN(bytes, static_cast<uint64_t>(amount), 8);
    return true;
}

}  // namespace

bool Variant::SameAs(const Variant& other) const {
    if (kind != other.kind) return false;
    switch (kind) {
    case VariantKind::kLogical: return logical == other.logical;
    case VariantKind::kInteger: return integer == other.integer;
    case VariantKind::kReal:
        if (std::isnan(real) && std::isnan(other.real)) return true;
        return real == other.real && std::signbit(real) == std::signbit(other.real);
    case VariantKind::kString:
        return string.Length() == other.string.Length() &&
               std::memcmp(string.Text(), other.string.Text(), static_cast<size_t>(string.Length())) == 0;
    case VariantKind::kDate: return PackedDate(date) == PackedDate(other.date);
    case VariantKind::kTime: return PackedTime(time) == PackedTime(other.time);
    }
    return false;
}

const char* VariantKindName(VariantKind kind) {
    static const char* const kNames[] = {"logical", "integer", "real", "string", "date", "time"};
    const int i = static_cast<int>(kind);
    return i < 6 ? kNames[i] : "unknown";
}

int64_t DateToDayNumber(DateValue date) {
    int64_t y = int64_t(date.year) - 1980;
    int64_t m = int64_t(date.month) - 3;
    if (date.month == 1 || date.month == 2) {
        m += 12;
        y -= 1;
    }
    return FloorDiv(153 * m + 2, 5) + FloorDiv(1461 * y, 4) + date.day - 1;
}

DateValue DayNumberToDate(int64_t dayNumber) {
    // Far outside any calendar year the arithmetic would overflow; such day
    // numbers are brought into the 16-bit year range first (years wrap anyway).
    constexpr int64_t kDaysIn65536Years = 65536LL * 1461 / 4;
    dayNumber %= kDaysIn65536Years;
    const int64_t a = 4 * dayNumber + 3;
    int64_t year = 1980 + FloorDiv(a, 1461);
    const int64_t b = (a - FloorDiv(a, 1461) * 1461) / 4;
    const int64_t c = 5 * (b + 1) - 3;
    const int64_t monthIndex = c / 153;
    DateValue date;
    date.day = static_cast<uint8_t>((c % 153) / 5 + 1);
    if (monthIndex < 10) {
        date.month = static_cast<uint8_t>(monthIndex + 3);
    } else {
        date.month = static_cast<uint8_t>(monthIndex - 9);
        ++year;
    }
    date.year = static_cast<uint16_t>(year);
    return date;
}

bool FieldToVariant(const FieldAttributes& field, const uint8_t* record, int recordLength, Variant& result) {
    switch (field.type) {
    case kTypeString:
    case kTypeLString:
    case kTypeZString:
    case kTypeNote:
        result.SetString(FieldToText(field, record, recordLength, false));
        return true;
    case kTypeDecimal:
    case kTypeCurrency: {
        if (field.type == kTypeCurrency && field.length != 8) return false;
        if (ReadableBytes(field, record, recordLength) == nullptr) return false;
        const Estring text = FieldToText(field, record, recordLength, false);
        result.SetReal(ReadReal(text.View()));
        return true;
    }
    case kTypeCalculated: {
        const FieldList* owner = field.owner;
        if (owner == nullptr) return false;
        const auto* evaluator = dynamic_cast<const VariantFormulaEvaluator*>(owner->GetFormulaEvaluator().get());
        if (evaluator == nullptr) return false;
        Estring message;
        return evaluator->EvaluateToVariant(field, record, recordLength, result, message);
    }
    default: break;
    }
    const uint8_t* p = ReadableBytes(field, record, recordLength);
    if (p == nullptr) return false;
    const int length = field.length;
    switch (field.type) {
    case kTypeInteger:
    case kTypeAutoIncrement:
        if (!IsIntegerLength(length)) return false;
        result.SetInteger(le::GetSigned(p, length));
        return true;
    case kTypeUnsignedInteger:
        if (!IsIntegerLength(length)) return false;
        result.SetInteger(static_cast<int64_t>(le::GetUnsigned(p, length)));
        return true;
    case kTypeFloat:
        if (length == 4) {
            float f;
            std::memcpy(&f, p, 4);
            result.SetReal(f);
        } else if (length == 8) {
            double d;
            std::memcpy(&d, p, 8);
            result.SetReal(d);
        } else if (length == 10) {
            long double x = 0;
            std::memcpy(&x, p, 10);
            result.SetReal(x);
        } else {
            return false;
        }
        return true;
    case kTypeBFloat:
        if (length == 4) {
            result.SetReal(MbfSingleToDouble(p));
        } else if (length == 8) {
            result.SetReal(MbfDoubleToDouble(p));
        } else {
            return false;
        }
        return true;
    case kTypeDate:
        if (length < 4) return false;
        result.SetDate(ReadDate(p));
        return true;
    case kTypeTime:
        if (length < 4) return false;
        result.SetTime(ReadTime(p));
        return true;
    case kTypeLogical:
    case kTypeBit:
        result.SetLogical(p[0] != 0);
        return true;
    default: return false;
    }
}

bool VariantToField(const Variant& value, const FieldAttributes& field, uint8_t* record, int recordLength) {
    if (field.join != nullptr) {
        // The joined file's current record; without one, a scratch copy of
        // the field, so that the value is checked as usual and written nowhere.
        FieldAttributes own(field);
        own.join = nullptr;
        int joinedLength = 0;
        uint8_t* joined = field.join->JoinedRecord(record, recordLength, joinedLength);
        if (joined != nullptr) return VariantToField(value, own, joined, joinedLength);
        own.offset = 0;
        std::vector<uint8_t> scratch(field.length);
        return VariantToField(value, own, scratch.data(), static_cast<int>(scratch.size()));
    }
    switch (field.type) {
    case kTypeString:
        if (!value.IsString()) return false;
        return FieldFromText(field, record, recordLength, value.string.View());
    case kTypeZString:
    case kTypeNote: {
        Estring text;
        if (!TextForTextField(value, text)) return false;
        return FieldFromText(field, record, recordLength, text.View());  // zero-fills the field
    }
    case kTypeLString: {
        Estring text;
        if (!TextForTextField(value, text)) return false;
        const FieldBytes bytes = LocateField(field, record, recordLength);
        if (text.Length() > field.length - 1 || text.Length() > 255) return false;
        if (bytes.data == nullptr || text.Length() > bytes.available - 1) return false;
        std::memset(bytes.data, 0, static_cast<size_t>(bytes.available));
        bytes.data[0] = static_cast<uint8_t>(text.Length());
        std::memcpy(bytes.data + 1, text.Text(), static_cast<size_t>(text.Length()));
        return true;
    }
    case kTypeDecimal:
        if (!value.IsNumber()) return false;
        return FieldFromText(field, record, recordLength, VariantToText(value, 999, field.decimals).View());
    default: break;
    }
    uint8_t* p = WritableBytes(field, record, recordLength);
    if (p == nullptr) return false;
    switch (field.type) {
    case kTypeInteger:
    case kTypeAutoIncrement:
    case kTypeUnsignedInteger:
        return IsIntegerLength(field.length) && StoreInteger(value, field, p);
    case kTypeFloat: return StoreFloat(value, field, p);
    case kTypeBFloat:
        if (!value.IsNumber()) return false;
        if (field.length == 4) {
            DoubleToMbfSingle(static_cast<double>(value.AsReal()), p);
        } else if (field.length == 8) {
            DoubleToMbfDouble(static_cast<double>(value.AsReal()), p);
        } else {
            return false;
        }
        return true;
    case kTypeDate:
        if (field.length < 4) return false;
        if (value.IsDate()) {
            WriteDate(p, value.date);
        } else if (value.IsInteger()) {
            WriteDate(p, DayNumberToDate(value.integer));
        } else {
            return false;
        }
        return true;
    case kTypeTime:
        if (field.length < 4 || !value.IsTime()) return false;
        WriteTime(p, value.time);
        return true;
    case kTypeLogical:
    case kTypeBit:
        if (value.IsLogical()) {
            p[0] = value.logical ? 1 : 0;
        } else if (value.IsInteger()) {
            p[0] = value.integer != 0 ? 1 : 0;
        } else if (value.IsString()) {
            p[0] = (value.string == "Y" || value.string == "T") ? 1 : 0;
        } else {
            return false;
        }
        return true;
    case kTypeCurrency: return StoreCurrency(value, field, p);
    default: return false;
    }
}

Estring VariantToText(const Variant& value, int width, int decimals) {
    switch (value.kind) {
    case VariantKind::kLogical: return value.logical ? "Y" : "N";
    case VariantKind::kInteger: return IntegerToText(value.integer, 10);
    case VariantKind::kReal: {
        const double rounded = static_cast<double>(value.real);
        return FormatReal(rounded, 53, width, decimals, decimals >= 0);
    }
    case VariantKind::kString: return value.string;
    case VariantKind::kDate: return DateToText(value.date, 1);
    case VariantKind::kTime: return TimeToText(value.time, 1);
    }
    return Estring();
}
