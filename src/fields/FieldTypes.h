#pragma once
// Data type codes of the record manager's fields, and the type classes the
// editor, import and record view ask about. Names and default widths live in
// the table of FieldCodec.cpp.

#include <cstdint>

#include "engine/Contract.h"

constexpr uint8_t kTypeString = 0;           // L bytes of text, space padded
constexpr uint8_t kTypeInteger = 1;          // signed two's complement, 1/2/4/8 bytes
constexpr uint8_t kTypeFloat = 2;            // IEEE single, double or 80-bit extended
constexpr uint8_t kTypeDate = 3;             // day byte, month byte, 16-bit year
constexpr uint8_t kTypeTime = 4;             // hundredths, seconds, minutes, hours bytes
constexpr uint8_t kTypeDecimal = 5;          // packed decimal, sign in the last low nibble
constexpr uint8_t kTypeMoney = 6;            // not converted
constexpr uint8_t kTypeLogical = 7;          // first byte zero or not
constexpr uint8_t kTypeNumeric = 8;          // not converted
constexpr uint8_t kTypeBFloat = 9;           // Microsoft Binary Format single or double
constexpr uint8_t kTypeLString = 10;         // length byte, then text
constexpr uint8_t kTypeZString = 11;         // text ended by a zero byte
constexpr uint8_t kTypeNote = 12;            // as ZString
constexpr uint8_t kTypeLvar = 13;            // not converted
constexpr uint8_t kTypeUnsignedInteger = 14; // unsigned binary, 1/2/4/8 bytes
constexpr uint8_t kTypeAutoIncrement = 15;   // as Integer
constexpr uint8_t kTypeBit = 16;             // as Logical
constexpr uint8_t kTypeNumericSTS = 17;      // not converted
constexpr uint8_t kTypeNumericSA = 18;       // not converted
constexpr uint8_t kTypeCurrency = 19;        // signed 64-bit count of ten-thousandths
constexpr uint8_t kTypeCalculated = 255;     // no storage: the field's formula

// Highest engine type code with a name (codes above it, except 255, are unknown).
constexpr uint8_t kTypeLastEngine = kTypeCurrency;

// Dictionary field flags the codec looks at.
constexpr uint16_t kFieldFlagAlternateCollation = qdx::wire::kSegAltCollation;  // compare through the file's ACS map
constexpr uint16_t kFieldFlagCaseInsensitive = qdx::wire::kSegNoCase;    // compare with A-Z folded

// The lengths an integer field (Integer, Unsigned Integer, Auto Increment) may have.
inline bool IsIntegerLength(int length) { return length == 1 || length == 2 || length == 4 || length == 8; }

// String, LString, ZString and Note.
inline bool IsTextType(uint8_t type) {
    return type == kTypeString || type == kTypeLString || type == kTypeZString || type == kTypeNote;
}

// Integer, Float, Decimal, BFloat, Unsigned Integer, Auto Increment, Currency and calculated fields.
inline bool IsNumericType(uint8_t type) {
    return type == kTypeInteger || type == kTypeFloat || type == kTypeDecimal || type == kTypeBFloat ||
           type == kTypeUnsignedInteger || type == kTypeAutoIncrement || type == kTypeCurrency ||
           type == kTypeCalculated;
}
