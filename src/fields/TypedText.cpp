#include "fields/TypedText.h"

#include <cfloat>
#include <cmath>
#include <string>

#include "fields/FieldCodec.h"
#include "fields/NumberText.h"

namespace {

// Largest magnitude either MBF width holds: exponent byte 255, all mantissa bits set.
constexpr long double kMbfLargest = 1.70141173319264429905852091742258462e38L;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "-" in front or at the end is taken off; true when what remains is
// not empty or the whole text was.
std::string_view Unsigned(std::string_view text, bool allowSign) {
    if (!allowSign) return text;
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    } else if (!text.empty() && text.back() == '-') {
        text.remove_suffix(1);
    }
    return text;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

bool WholeNumber(std::string_view text, bool allowSign) {
    text = Trimmed(text);
    if (text.empty()) return true;
    return AllDigits(Unsigned(text, allowSign));
}

// digits with at most one "." and at least one digit.
bool DecimalDigits(std::string_view text) {
    bool point = false, digit = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (IsDigit(c)) {
            digit = true;
        } else {
            return false;
        }
    }
    return digit;
}

bool FixedPoint(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return true;
    return DecimalDigits(Unsigned(text, true));
}

bool RealNumber(std::string_view text, long double largest) {
    text = Trimmed(text);
    if (text.empty()) return true;
    std::string_view body = Unsigned(text, true);
    std::string_view mantissa = body, exponent;
    size_t e = body.find_first_of("eE");
    if (e != std::string_view::npos) {
        mantissa = body.substr(0, e);
        exponent = body.substr(e + 1);
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+')) exponent.remove_prefix(1);
        if (!AllDigits(exponent)) return false;
    }
    if (!DecimalDigits(mantissa)) return false;
    const long double value = ReadReal(text);
    return std::isfinite(value) && std::fabs(value) <= largest;
}

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int month, int year) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && LeapYear(year)) return 29;
    return kDays[month - 1];
}

bool RealDate(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return true;
    int numbers = 0;
    bool inNumber = false;
    for (char c : text) {
        if (IsDigit(c)) {
            if (!inNumber) ++numbers;
            inNumber = true;
            continue;
        }
        inNumber = false;
        // Separators only: a letter or a fourth number is not a date this reader understands.
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return false;
    }
    if (numbers != 3) return false;
    DateValue date;
    if (!TextToDateExactly(text, date)) return false;
    if (date.day == 0 && date.month == 0 && date.year == 0) return true;
    if (date.month < 1 || date.month > 12) return false;
    return date.day >= 1 && date.day <= DaysIn(date.month, date.year);
}

bool RealTime(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return true;
    // An "a", "p", "am" or "pm" ends a 12-hour time.
    std::string lower;
    for (char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    bool twelveHour = false;
    for (const char* suffix : {"am", "pm", "a", "p"}) {
        const size_t n = std::char_traits<char>::length(suffix);
        if (lower.size() > n && lower.compare(lower.size() - n, n, suffix) == 0) {
            lower.resize(lower.size() - n);
            twelveHour = true;
            break;
        }
    }
    while (!lower.empty() && lower.back() == ' ') lower.pop_back();
    int numbers = 0;
    unsigned long parts[4] = {0, 0, 0, 0};
    bool inNumber = false;
    for (char c : lower) {
        if (IsDigit(c)) {
            if (!inNumber) {
                if (++numbers > 4) return false;
            }
            inNumber = true;
            unsigned long& part = parts[numbers - 1];
            if (part < 1000) part = part * 10 + static_cast<unsigned>(c - '0');
            continue;
        }
        // The reader takes hours, minutes and seconds after ":" only; "."
        // may only bring in the hundredths, which it leaves alone.
        if (!inNumber || (c == ':' ? numbers >= 3 : c != '.' || numbers != 3)) return false;
        inNumber = false;
    }
    if (numbers == 0) return false;
    if (twelveHour && (parts[0] < 1 || parts[0] > 12)) return false;
    return parts[0] <= 23 && parts[1] <= 59 && parts[2] <= 59 && parts[3] <= 99;
}

}  // namespace

bool TypedTextAcceptable(const FieldAttributes& field, std::string_view text) {
    switch (field.type) {
        case kTypeInteger:
        case kTypeAutoIncrement: return WholeNumber(text, true);
        case kTypeUnsignedInteger: return WholeNumber(text, false);
        case kTypeFloat:
            return RealNumber(text, field.length == 4 ? static_cast<long double>(FLT_MAX)
                                    : field.length == 8 ? static_cast<long double>(DBL_MAX)
                                                        : LDBL_MAX);
        case kTypeBFloat: return RealNumber(text, kMbfLargest);
        case kTypeDecimal:
        case kTypeCurrency: return FixedPoint(text);
        case kTypeDate: return RealDate(text);
        case kTypeTime: return RealTime(text);
        default: return true;
    }
}

bool StoreTypedText(const FieldAttributes& field, uint8_t* record, int recordLength, std::string_view text) {
    if (!TypedTextAcceptable(field, text)) return false;
    return FieldFromText(field, record, recordLength, text);
}
