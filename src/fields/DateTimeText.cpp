// Date and time texts: the locale's date order, the four styles, and the
// readers of typed dates and times.

#include <langinfo.h>

#include <cstdio>
#include <string>

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

std::string DatePart(char letter, const DateValue& date, int style) {
    char buffer[32];
    switch (letter) {
        case 'd':
            if (style == 3)
                std::snprintf(buffer, sizeof buffer, "%u%s", date.day, DaySuffix(date.day));
            else
                std::snprintf(buffer, sizeof buffer, "%02u", date.day);
            break;
        case 'm':
            if (style == 3)
                std::snprintf(buffer, sizeof buffer, "%s",
                              date.month >= 1 && date.month <= 12 ? kMonthNames[date.month - 1] : "???");
            else
                std::snprintf(buffer, sizeof buffer, "%02u", date.month);
            break;
        default:
            if (style == 2)
                std::snprintf(buffer, sizeof buffer, "%02u", date.year % 100u);
            else
                std::snprintf(buffer, sizeof buffer, "%04u", date.year);
            break;
    }
    return buffer;
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
    std::string letters;
    char separator = 0;
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
            case 'D': return Estring("mdy/");
            case 'F': return Estring(kIsoOrder);
            default: break;
        }
        if (letter == 0 || letters.find(letter) != std::string::npos) continue;
        letters += letter;
        if (separator == 0 && letters.size() < 3 && i + 1 < format.size() && format[i + 1] != '%')
            separator = format[i + 1];
    }
    if (letters.size() != 3) return Estring(kDefaultOrder);
    if (letters != "mdy" && letters != "dmy" && letters != "ymd")
        letters = letters[0] == 'y' ? "ymd" : letters[0] == 'd' ? "dmy" : "mdy";
    if (!UsableSeparator(separator)) separator = '/';
    letters += separator;
    return Estring(letters);
}

Estring DateOrder() { return DateOrderFromFormat(nl_langinfo(D_FMT)); }

Estring DateToText(const DateValue& date, int style) {
    if (style == 4) return DateToText(date, style, kIsoOrder);
    return DateToText(date, style, DateOrder().View());
}

Estring DateToText(const DateValue& date, int style, std::string_view order) {
    if (style < 1 || style > 4) style = 1;
    order = style == 4 ? std::string_view(kIsoOrder) : UsableOrder(order);
    char separator = style == 3 ? ' ' : order[3];
    std::string text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) text += separator;
        text += DatePart(order[i], date, style);
    }
    return Estring(text);
}

Estring TimeToText(const TimeValue& time, int style) {
    if (style < 1 || style > 4) style = 1;
    unsigned hours = time.hours;
    char suffix = ' ';
    if (style <= 2) {
        suffix = hours < 12 ? 'a' : 'p';
        if (hours > 12) hours -= 12;
        if (hours == 0) hours = 12;
    }
    char buffer[32];
    if (style == 1 || style == 3)
        std::snprintf(buffer, sizeof buffer, "%u:%02u:%02u%c", hours, time.minutes, time.seconds, suffix);
    else
        std::snprintf(buffer, sizeof buffer, "%u:%02u%c", hours, time.minutes, suffix);
    return Estring(buffer).TrimRight();
}

DateValue TextToDate(std::string_view text) { return TextToDate(text, DateOrder().View()); }

DateValue TextToDate(std::string_view text, std::string_view order) {
    order = UsableOrder(order);
    unsigned long numbers[3];
    int digitCounts[3];
    size_t i = 0;
    for (int k = 0; k < 3; ++k) {
        numbers[k] = ReadRun(text, i, digitCounts[k]);
        if (i < text.size()) ++i;  // the separator, whatever it is
    }
    if (numbers[0] > 1000) order = kIsoOrder;
    DateValue date;
    for (int k = 0; k < 3; ++k) {
        unsigned long n = numbers[k];
        switch (order[k]) {
            case 'd': date.day = static_cast<uint8_t>(n); break;
            case 'm': date.month = static_cast<uint8_t>(n); break;
            default:
                if (digitCounts[k] < 4 && n < 100) n += n < kCenturyPivot ? 2000 : 1900;
                date.year = static_cast<uint16_t>(n);
                break;
        }
    }
    return date;
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
