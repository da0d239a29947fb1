// Number readers, integer text in any base, and the record layouts of
// dates and times.

#include "fields/NumberText.h"

#include <charconv>
#include <cmath>

#include "base/Endian.h"
#include "fields/RealPowers.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipWhite(std::string_view text, size_t i) {
    while (i < text.size() && IsWhite(text[i])) ++i;
    return i;
}

// Reads decimal digits at i into magnitude; false when they overflow 64 bits.
bool ReadDigits(std::string_view text, size_t& i, uint64_t& magnitude) {
    magnitude = 0;
    bool fits = true;
    while (i < text.size() && IsDigit(text[i])) {
        unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (magnitude > (UINT64_MAX - digit) / 10) fits = false;
        magnitude = magnitude * 10 + digit;
        ++i;
    }
    return fits;
}

// Maximum significant digits the real reader keeps (they fit 64 bits exactly).
constexpr int kRealDigits = 18;
constexpr long kExponentLimit = 100000;

}  // namespace

DateValue ReadDate(const uint8_t* p) { return DateValue{p[0], p[1], le::GetU16(p + 2)}; }

void WriteDate(uint8_t* p, const DateValue& date) {
    p[0] = date.day;
    p[1] = date.month;
    le::PutU16(p + 2, date.year);
}

TimeValue ReadTime(const uint8_t* p) { return TimeValue{p[0], p[1], p[2], p[3]}; }

void WriteTime(uint8_t* p, const TimeValue& time) {
    p[0] = time.hundredths;
    p[1] = time.seconds;
    p[2] = time.minutes;
    p[3] = time.hours;
}

bool ReadSignedInteger(std::string_view text, int64_t& value) {
    value = 0;
    size_t i = SkipWhite(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint64_t magnitude = 0;
    bool fits = ReadDigits(text, i, magnitude);
    if (i < text.size() && text[i] == '-') negative = true;
    const uint64_t limit = negative ? (1ULL << 63) : (1ULL << 63) - 1;
    if (!fits || magnitude > limit) return false;
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool ReadUnsignedInteger(std::string_view text, uint64_t& value) {
    value = 0;
    size_t i = SkipWhite(text, 0);
    if (i < text.size() && text[i] == '-') return false;
    if (i < text.size() && text[i] == '+') ++i;
    uint64_t magnitude = 0;
    bool fits = ReadDigits(text, i, magnitude);
    if (i < text.size() && text[i] == '-') return false;
    if (!fits) return false;
    value = magnitude;
    return true;
}

long double ReadReal(std::string_view text) {
    size_t i = SkipWhite(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint64_t mantissa = 0;
    int significant = 0;
    long exponent = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(c)) break;
        if (significant < kRealDigits) {
            if (significant > 0 || c != '0') {
                mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
                ++significant;
            }
            if (point) --exponent;
        } else if (!point) {
            ++exponent;  // digits past the kept ones before the point only scale
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) negativeExponent = text[i++] == '-';
        long e = 0;
        while (i < text.size() && IsDigit(text[i])) {
            if (e < kExponentLimit) e = e * 10 + (text[i] - '0');
            ++i;
        }
        exponent += negativeExponent ? -e : e;
    }
    if (exponent > kExponentLimit) exponent = kExponentLimit;
    if (exponent < -kExponentLimit) exponent = -kExponentLimit;
    long double value = mantissa == 0 ? 0.0L : ScaleByPowerOf10(static_cast<long double>(mantissa), static_cast<int>(exponent));
    return negative ? -value : value;
}

double ReadDouble(std::string_view text) {
    size_t i = SkipWhite(text, 0);
    if (i < text.size() && text[i] == '+' && (i + 1 >= text.size() || text[i + 1] != '-')) ++i;
    double value = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) return static_cast<double>(ReadReal(text));
    if (result.ec != std::errc()) return 0.0;
    return value;
}

namespace {

// The digits of magnitude in base, with "-" in front when negative, written
// backwards into one buffer so the text is built once.
Estring DigitsText(uint64_t magnitude, int base, bool negative) {
    if (base < 2 || base > 36) return Estring();
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    char digits[66];
    char* start = digits + sizeof digits;
    const unsigned b = static_cast<unsigned>(base);
    do {
        *--start = kDigits[magnitude % b];
        magnitude /= b;
    } while (magnitude != 0);
    if (negative) *--start = '-';
    return Estring(start, static_cast<int>(digits + sizeof digits - start));
}

}  // namespace

Estring UnsignedToText(uint64_t value, int base) { return DigitsText(value, base, false); }

Estring IntegerToText(int64_t value, int base) {
    if (value >= 0) return DigitsText(static_cast<uint64_t>(value), base, false);
    return DigitsText(0 - static_cast<uint64_t>(value), base, true);
}

int UnsignedToChars(uint64_t value, char* out) {
    char digits[kIntegerCharsCapacity];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
    return n;
}

int IntegerToChars(int64_t value, char* out) {
    if (value >= 0) return UnsignedToChars(static_cast<uint64_t>(value), out);
    *out = '-';
    return 1 + UnsignedToChars(0 - static_cast<uint64_t>(value), out + 1);
}
