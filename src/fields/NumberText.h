#pragma once
// Number, date and time texts shared by the field codec, Variant text and
// the formula language: the real formatter, the date and time styles, the
// locale's date order and the readers of typed numbers, dates and times.
//
// Dates are the 4-byte record layout (day, month, 16-bit little-endian year);
// times are (hundredths, seconds, minutes, hours).

#include <array>
#include <cstdint>
#include <string_view>

#include "base/Estring.h"

// 4 bytes: day, month, year low, year high.
struct DateValue {
    uint8_t day = 0;
    uint8_t month = 0;
    uint16_t year = 0;
};

// 4 bytes: hundredths, seconds, minutes, hours.
struct TimeValue {
    uint8_t hundredths = 0;
    uint8_t seconds = 0;
    uint8_t minutes = 0;
    uint8_t hours = 0;
};

// Record layout <-> value; p points at 4 bytes.
DateValue ReadDate(const uint8_t* p);
void WriteDate(uint8_t* p, const DateValue& date);
TimeValue ReadTime(const uint8_t* p);
void WriteTime(uint8_t* p, const TimeValue& time);

// ---- Real numbers -------------------------------------------------------

// Longest text FormatReal produces; widths and decimal places are clamped so
// that the text stays within it.
constexpr int kMaxRealText = 1024;

// Formats value with precisionBits of mantissa (24, 53 or 64) in width
// characters (its absolute value is used). decimals >= 0: fixed layout with
// that many places (asterisks when it does not fit); decimals < 0: general
// layout (plain or exponent form, trailing zeros dropped). Display form puts
// the sign after the number ("-" or a space); plain form puts "-" in front.
// Not-a-number and infinities give "NaN" and "Inf".
Estring FormatReal(long double value, int precisionBits, int width, int decimals, bool displayForm);

// ---- Dates and times ----------------------------------------------------

// The date order: three letters (a permutation of "mdy") and a separator,
// e.g. "mdy/". Taken from the C library's locale (LC_TIME date format) every
// time it is called; the "C" locale gives "mdy/".
Estring DateOrder();
// The order of a strftime date format such as "%d.%m.%Y": the order of %d
// (or %e), %m and %y/%Y and the first character between two of them.
// Formats that cannot be read give "mdy/".
Estring DateOrderFromFormat(std::string_view dateFormat);

// Styles: 1 two-digit day and month, four-digit year in the locale order;
// 2 as 1 with a two-digit year; 3 "31st Jan 2023" parts in locale order
// separated by spaces; 4 "2023-01-31" whatever the locale.
Estring DateToText(const DateValue& date, int style);
Estring DateToText(const DateValue& date, int style, std::string_view order);
// Styles 1 and 2: 12-hour clock with a/p suffix (2 without seconds);
// 3 and 4: 24-hour clock (4 without seconds). Hundredths are never shown.
Estring TimeToText(const TimeValue& time, int style);
// The same texts written into a caller's buffer of at least the capacity
// given, returning their length: no string is made, for writers that put
// out a date for every record.
constexpr int kDateCharsCapacity = 40;
constexpr int kTimeCharsCapacity = 32;
int DateToChars(const DateValue& date, int style, std::string_view order, char* out);
int TimeToChars(const TimeValue& time, int style, char* out);
// The locale's date order into order[0..3], as DateOrder() gives it.
void LocaleDateOrder(char order[4]);

// Reads a date in the locale order (or year first when the first number
// exceeds 1000); two-digit years below 70 are 20xx, others 19xx. Missing
// numbers read as 0; never refuses a text.
DateValue TextToDate(std::string_view text);
DateValue TextToDate(std::string_view text, std::string_view order);
// As TextToDate, for a text that must be a date and nothing else: false
// unless it is exactly three runs of digits with one character between them
// and each number fits its part (day and month a byte, the year 16 bits),
// so that nothing is cut to another value; date is then set.
bool TextToDateExactly(std::string_view text, DateValue& date);
bool TextToDateExactly(std::string_view text, std::string_view order, DateValue& date);
// Reads hours, minutes and seconds into time (hundredths kept); a trailing
// "a"/"p" converts from the 12-hour clock. Never refuses a text.
void TextToTime(std::string_view text, TimeValue& time);

// ---- Integers -----------------------------------------------------------

// Signed: leading white space, optional "-", digits; a "-" right after the
// digits also makes it negative; text after the number is ignored; no digits
// read as 0. Returns false only when the value does not fit 64 bits.
bool ReadSignedInteger(std::string_view text, int64_t& value);
// Unsigned: as signed without a sign. Returns false when the value does not
// fit 64 bits or a minus sign is written.
bool ReadUnsignedInteger(std::string_view text, uint64_t& value);

// Real: leading blanks, optional "-", digits and "." (18 significant digits
// kept), optional "e"/"E" with a signed exponent. Text after it is ignored.
long double ReadReal(std::string_view text);
// A standard decimal floating text (optionally "inf"/"nan") rounded once to
// double, independent of the locale; 0 when there is no number.
double ReadDouble(std::string_view text);

// Digits of value in base 2 to 36 (upper-case letters above 9), "-" in front
// when negative. Other bases give empty text.
Estring IntegerToText(int64_t value, int base);
Estring UnsignedToText(uint64_t value, int base);
// Base 10 into a caller's buffer of at least kIntegerCharsCapacity; returns
// the length.
constexpr int kIntegerCharsCapacity = 21;
int IntegerToChars(int64_t value, char* out);
int UnsignedToChars(uint64_t value, char* out);
