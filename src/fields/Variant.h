#pragma once
// Variant: the typed value of the formula language.
//
// One slot per kind, side by side, and a tag naming the meaningful one. A new
// Variant is the empty string with zero date and time slots. Copying copies
// the tag and every slot.
//
// Dates and times keep the record layouts of the Date and Time field types:
//   Date  OFFSET 0 day (1 byte), 1 month (1 byte), 2 year (16-bit LE)
//   Time  OFFSET 0 hundredths, 1 seconds, 2 minutes, 3 hours (1 byte each)

#include <cstdint>

#include "base/Estring.h"
#include "fields/NumberText.h"

class FieldAttributes;

enum class VariantKind : uint8_t {
    kLogical = 0,
    kInteger = 1,
    kReal = 2,
    kString = 3,
    kDate = 4,
    kTime = 5,
};

// Year, month, day packed so that unsigned order is calendar order.
inline uint32_t PackedDate(const DateValue& d) {
    return (uint32_t(d.year) << 16) | (uint32_t(d.month) << 8) | d.day;
}
// Hours, minutes, seconds, hundredths packed so that unsigned order is clock order.
inline uint32_t PackedTime(const TimeValue& t) {
    return (uint32_t(t.hours) << 24) | (uint32_t(t.minutes) << 16) | (uint32_t(t.seconds) << 8) | t.hundredths;
}

class Variant {
public:
    Variant() = default;

    static Variant Logical(bool value) { Variant v; v.SetLogical(value); return v; }
    static Variant Integer(int64_t value) { Variant v; v.SetInteger(value); return v; }
    static Variant Real(long double value) { Variant v; v.SetReal(value); return v; }
    static Variant String(const Estring& value) { Variant v; v.SetString(value); return v; }
    static Variant Date(DateValue value) { Variant v; v.SetDate(value); return v; }
    static Variant Time(TimeValue value) { Variant v; v.SetTime(value); return v; }

    void SetLogical(bool value) { kind = VariantKind::kLogical; logical = value ? 1 : 0; }
    void SetInteger(int64_t value) { kind = VariantKind::kInteger; integer = value; }
    void SetReal(long double value) { kind = VariantKind::kReal; real = value; }
    void SetString(const Estring& value) { kind = VariantKind::kString; string = value; }
    void SetString(const char* bytes, int n) { kind = VariantKind::kString; string = Estring(bytes, n); }
    void SetDate(DateValue value) { kind = VariantKind::kDate; date = value; }
    void SetTime(TimeValue value) { kind = VariantKind::kTime; time = value; }

    bool IsLogical() const { return kind == VariantKind::kLogical; }
    bool IsInteger() const { return kind == VariantKind::kInteger; }
    bool IsReal() const { return kind == VariantKind::kReal; }
    bool IsNumber() const { return kind == VariantKind::kInteger || kind == VariantKind::kReal; }
    bool IsString() const { return kind == VariantKind::kString; }
    bool IsDate() const { return kind == VariantKind::kDate; }
    bool IsTime() const { return kind == VariantKind::kTime; }

    // The value as a real (integer widened); only meaningful for numbers.
    long double AsReal() const { return kind == VariantKind::kInteger ? static_cast<long double>(integer) : real; }

    // Same kind and the same value in the meaningful slot (strings byte for
    // byte, reals bitwise-equal or both NaN). For tests and caches, not the
    // language's "=".
    bool SameAs(const Variant& other) const;

    VariantKind kind = VariantKind::kString;
    uint8_t logical = 0;
    int64_t integer = 0;
    long double real = 0;
    Estring string;
    DateValue date;
    TimeValue time;
};

// The name of a kind for messages and test output: "logical", "integer", ...
const char* VariantKindName(VariantKind kind);

// Day numbers: day 0 is 1 March 1980, counting both ways.
int64_t DateToDayNumber(DateValue date);
DateValue DayNumberToDate(int64_t dayNumber);

// The value of one field of record. A joined field reads the joined file's
// current record, or an all-zero field when there is none. A calculated field
// is evaluated through its list's formula evaluator (see below). Returns false,
// leaving result unchanged, for types that have no value (Money, Numeric, Lvar,
// NumericSTS, NumericSA, unknown codes) or a failing formula.
// A field that does not lie wholly inside record[0 .. recordLength) has no
// value, except that text types read the part inside (as FieldToText does).
bool FieldToVariant(const FieldAttributes& field, const uint8_t* record, int recordLength, Variant& result);

// Stores value into field of record with the conversions of the field's type.
// Returns false, writing nothing, when the kind does not suit the type or the
// value does not fit. A joined field without a current joined record is
// checked but written nowhere.
bool VariantToField(const Variant& value, const FieldAttributes& field, uint8_t* record, int recordLength);

// The value as text. decimals -1 asks for the plain form; decimals >= 0 give
// reals their display layout (fixed places and a trailing sign place). width
// bounds a real's text (its absolute value is used).
Estring VariantToText(const Variant& value, int width, int decimals);

// A formula evaluator that can give a calculated field's value as a Variant
// (the expression layer's evaluator implements it beside FormulaEvaluator, so
// that fields need not depend on expressions). FieldToVariant finds it by a
// cross-cast of the evaluator installed in the field's list.
class VariantFormulaEvaluator {
public:
    virtual ~VariantFormulaEvaluator() = default;
    // On failure message holds the formula's error text.
    virtual bool EvaluateToVariant(const FieldAttributes& field, const uint8_t* record, int recordLength,
                                   Variant& result, Estring& message) const = 0;
};
