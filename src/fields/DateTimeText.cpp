// Date and time texts: the locale's date order, the four styles, and the
// readers of typed dates and times.

#include <langinfo.h>


#include "fields/NumberText.h"

namespace {

constexpr const char* kDefaultOrder = "mdy/";
constexpr const char* kIsoOrder = "ymd-";
// Year of a date written with fewer than four digits: below this 20xx, else 19xx.
constexpr unsigned kCenturyPivot = 70;

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An order is usable when it is a permutation of "dmy" followed by a separator.
bool ValidOrder(std::string_view order) {
    if (order.size() < 4) return false;
    int d = 0, m = 0, y = 0;
    for (int i = 0; i < 3; ++i) {
        d += order[i] == 'd';
        m += order[i] == 'm';
        y += order[i] == 'y';
    }
    return d == 1 && m == 1 && y == 1;
}

std::string_view UsableOrder(std::string_view order) { return ValidOrder(order) ? order : kDefaultOrder; }

bool UsableSeparator(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7F && !IsDigit(c) && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && c != '%';
}

const char* DaySuffix(unsigned day) {
    if (day >= 11 && day <= 19) return "th";
    switch (day % 10) {
        case 1: return "st";
        case 2: return "nd";
        case 3: return "rd";
        default: return "th";
    }
}

// Appends value in decimal with at least minDigits digits (leading zeros),
// as "%0*u" would; returns the end. No locale, no allocation: dates and
// times are written once per field of every exported record.
char* PutUnsigned(char* out, unsigned value, int minDigits) {
    if (value < 100 && minDigits <= 2) {  // days, months, hours, minutes, seconds
        if (value >= 10 || minDigits == 2) *out++ = static_cast<char>('0' + value / 10);
        *out++ = static_cast<char>('0' + value % 10);
        return out;
    }
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < minDigits) digits[n++] = '0';
    while (n > 0) *out++ = digits[--n];
    return out;
}

char* PutText(char* out, const char* text) {
    while (*text) *out++ = *text++;
    return out;
}

char* PutDatePart(char* out, char letter, const DateValue& date, int style) {
    switch (letter) {
        case 'd':
            if (style == 3) return PutText(PutUnsigned(out, date.day, 1), DaySuffix(date.day));
            return PutUnsigned(out, date.day, 2);
        case 'm':
            if (style == 3) return PutText(out, date.month >= 1 && date.month <= 12 ? kMonthNames[date.month - 1] : "???");
            return PutUnsigned(out, date.month, 2);
        default:
            if (style == 2) return PutUnsigned(out, date.year % 100u, 2);
            return PutUnsigned(out, date.year, 4);
    }
}

// The order of a strftime date format into order[0..3]; see DateOrderFromFormat.
void ReadDateOrder(std::string_view format, char order[4]) {
    char letters[3];
    int count = 0;
    char separator = 0;
    auto setOrder = [order](const char* text) {
        for (int k = 0; k < 4; ++k) order[k] = text[k];
    };
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        ++i;
        // Skip flags, field widths and the E/O modifiers.
        while (i < format.size() && (format[i] == 'E' || format[i] == 'O' || format[i] == '-' || format[i] == '_' ||
                                     format[i] == '^' || format[i] == '#' || IsDigit(format[i])))
            ++i;
        if (i >= format.size()) break;
        char letter = 0;
        switch (format[i]) {
            case 'd':
            case 'e': letter = 'd'; break;
            case 'm': letter = 'm'; break;
            case 'y':
            case 'Y': letter = 'y'; break;
            case 'D': return setOrder("mdy/");
            case 'F': return setOrder(kIsoOrder);
            default: break;
        }
        // Once all three are read, every letter is a repeat.
        if (letter == 0 || count == 3 || (count > 0 && letters[0] == letter) || (count > 1 && letters[1] == letter))
            continue;
        letters[count++] = letter;
        if (separator == 0 && count < 3 && i + 1 < format.size() && format[i + 1] != '%') separator = format[i + 1];
    }
    if (count != 3) return setOrder(kDefaultOrder);
    std::string_view got(letters, 3);
    if (got != "mdy" && got != "dmy" && got != "ymd") {
        const char* fixed = letters[0] == 'y' ? "ymd" : letters[0] == 'd' ? "dmy" : "mdy";
        for (int k = 0; k < 3; ++k) letters[k] = fixed[k];
    }
    if (!UsableSeparator(separator)) separator = '/';
    for (int k = 0; k < 3; ++k) order[k] = letters[k];
    order[3] = separator;
}

// The run of digits at i (an empty run is 0), saturating; counts the digits.
unsigned long ReadRun(std::string_view text, size_t& i, int& digitCount) {
    unsigned long value = 0;
    digitCount = 0;
    while (i < text.size() && IsDigit(text[i])) {
        if (value < 100000000UL) value = value * 10 + static_cast<unsigned>(text[i] - '0');
        ++digitCount;
        ++i;
    }
    return value;
}

// A leading decimal number after white space (atoi style, no sign), saturating.
unsigned long LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    int count = 0;
    return ReadRun(text, i, count);
}

// Drops the text up to and including the next ":", or else its leading number.
std::string_view DropField(std::string_view text) {
    size_t colon = text.find(':');
    if (colon != std::string_view::npos) return text.substr(colon + 1);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return text.substr(i);
}

}  // namespace

Estring DateOrderFromFormat(std::string_view format) {
    char order[4];
    ReadDateOrder(format, order);
    return Estring(order, 4);
}

Estring DateOrder() { return DateOrderFromFormat(nl_langinfo(D_FMT)); }

void LocaleDateOrder(char order[4]) { ReadDateOrder(nl_langinfo(D_FMT), order); }

Estring DateToText(const DateValue& date, int style) {
    if (style == 4) return DateToText(date, style, kIsoOrder);
    char order[4];
    LocaleDateOrder(order);
    return DateToText(date, style, std::string_view(order, 4));
}

Estring DateToText(const DateValue& date, int style, std::string_view order) {
    char text[kDateCharsCapacity];
    return Estring(text, DateToChars(date, style, order, text));
}

int DateToChars(const DateValue& date, int style, std::string_view order, char* out) {
    if (style < 1 || style > 4) style = 1;
    order = style == 4 ? std::string_view(kIsoOrder) : UsableOrder(order);
    char separator = style == 3 ? ' ' : order[3];
    char* end = out;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) *end++ = separator;
        end = PutDatePart(end, order[i], date, style);
    }
    return static_cast<int>(end - out);
}

Estring TimeToText(const TimeValue& time, int style) {
    char text[kTimeCharsCapacity];
    return Estring(text, TimeToChars(time, style, text));
}

int TimeToChars(const TimeValue& time, int style, char* out) {
    if (style < 1 || style > 4) style = 1;
    unsigned hours = time.hours;
    char suffix = 0;  // none on the 24-hour clock
    if (style <= 2) {
        suffix = hours < 12 ? 'a' : 'p';
        if (hours > 12) hours -= 12;
        if (hours == 0) hours = 12;
    }
    char* end = PutUnsigned(out, hours, 1);
    *end++ = ':';
    end = PutUnsigned(end, time.minutes, 2);
    if (style == 1 || style == 3) {
        *end++ = ':';
        end = PutUnsigned(end, time.seconds, 2);
    }
    if (suffix) *end++ = suffix;
    return static_cast<int>(end - out);
}

DateValue TextToDate(std::string_view text) {
    char order[4];
    LocaleDateOrder(order);
    return TextToDate(text, std::string_view(order, 4));
}

namespace {

// The three numbers of a date text by part (day, month, year), before they
// are cut to the record's bytes; `end` is where reading stopped.
struct DateNumbers {
    unsigned long day = 0, month = 0, year = 0;
    int digits[3] = {0, 0, 0};  // digits of each number, in the order read
    bool separators = true;     // one character after each of the first two numbers
    size_t end = 0;
};

DateNumbers ReadDateNumbers(std::string_view text, std::string_view order) {
    order = UsableOrder(order);
    DateNumbers read;
    unsigned long numbers[3];
    size_t i = 0;
    for (int k = 0; k < 3; ++k) {
        numbers[k] = ReadRun(text, i, read.digits[k]);
        if (k < 2) {
            if (i < text.size()) {
                ++i;  // the separator, whatever it is
            } else {
                read.separators = false;
            }
        }
    }
    read.end = i;
    if (numbers[0] > 1000) order = kIsoOrder;
    for (int k = 0; k < 3; ++k) {
        unsigned long n = numbers[k];
        switch (order[k]) {
            case 'd': read.day = n; break;
            case 'm': read.month = n; break;
            default:
                if (read.digits[k] < 4 && n < 100) n += n < kCenturyPivot ? 2000 : 1900;
                read.year = n;
                break;
        }
    }
    return read;
}

}  // namespace

DateValue TextToDate(std::string_view text, std::string_view order) {
    const DateNumbers read = ReadDateNumbers(text, order);
    DateValue date;
    date.day = static_cast<uint8_t>(read.day);
    date.month = static_cast<uint8_t>(read.month);
    date.year = static_cast<uint16_t>(read.year);
    return date;
}

bool TextToDateExactly(std::string_view text, std::string_view order, DateValue& date) {
    const DateNumbers read = ReadDateNumbers(text, order);
    if (!read.separators || read.end != text.size()) return false;
    for (int digits : read.digits)
        if (digits == 0) return false;
    // Larger numbers would be cut to another, smaller one.
    if (read.day > 0xFF || read.month > 0xFF || read.year > 0xFFFF) return false;
    date = TextToDate(text, order);
    return true;
}

bool TextToDateExactly(std::string_view text, DateValue& date) {
    char order[4];
    ReadDateOrder(nl_langinfo(D_FMT), order);
    return TextToDateExactly(text, std::string_view(order, 4), date);
}

void TextToTime(std::string_view text, TimeValue& time) {
    unsigned long hours = LeadingNumber(text);
    text = DropField(text);
    unsigned long minutes = LeadingNumber(text);
    text = DropField(text);
    unsigned long seconds = LeadingNumber(text);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    char last = text.empty() ? 0 : static_cast<char>(text.back() | 0x20);
    if (last == 'a' && hours == 12) hours = 0;
    if (last == 'p' && hours != 12) hours += 12;
    time.hours = static_cast<uint8_t>(hours);
    time.minutes = static_cast<uint8_t>(minutes);
    time.seconds = static_cast<uint8_t>(seconds);
}
