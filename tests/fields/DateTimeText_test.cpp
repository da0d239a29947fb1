// Date order from the locale's format, date and time styles, and the readers.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale.h>

#include "fields/NumberText.h"

namespace {

TEST(DateOrder, ReadFromDateFormats) {
    const struct { const char* format; const char* order; } kCases[] = {
        {"%m/%d/%y", "mdy/"}, {"%d.%m.%Y", "dmy."}, {"%Y-%m-%d", "ymd-"}, {"%d/%m/%Y", "dmy/"},
        {"%e-%m-%Y", "dmy-"}, {"%Od.%Om.%EY", "dmy."}, {"%F", "ymd-"},     {"%D", "mdy/"},
        {"%y/%d/%m", "ymd/"},  // an order the locale codes cannot express falls back by its first part
        {"%d%m%Y", "dmy/"},    // no separator: "/"
        {"", "mdy/"},          {"%H:%M", "mdy/"}, {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d", "ymd/"},
    };
    for (const auto& c : kCases) EXPECT_EQ(DateOrderFromFormat(c.format).ToStdString(), c.order) << c.format;
}

TEST(DateOrder, CLocaleGivesMonthDayYearWithSlash) {
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    ASSERT_NE(c, static_cast<locale_t>(nullptr));
    locale_t previous = uselocale(c);
    EXPECT_EQ(DateOrder().ToStdString(), "mdy/");
    // End to end: the codec's style reads the locale each time.
    EXPECT_EQ(DateToText(DateValue{31, 1, 2023}, 1).ToStdString(), "01/31/2023");
    DateValue date = TextToDate("12/25/99");
    EXPECT_EQ(date.day, 25);
    EXPECT_EQ(date.month, 12);
    EXPECT_EQ(date.year, 1999);
    uselocale(previous);
    freelocale(c);
}

TEST(DateToText, StylesAndOrders) {
    const DateValue jan31{31, 1, 2023};
    const struct { DateValue date; int style; const char* order; const char* text; } kCases[] = {
        {jan31, 1, "mdy/", "01/31/2023"}, {jan31, 1, "dmy.", "31.01.2023"}, {jan31, 1, "ymd-", "2023-01-31"},
        {jan31, 2, "dmy/", "31/01/23"},   {jan31, 3, "dmy/", "31st Jan 2023"}, {jan31, 3, "mdy/", "Jan 31st 2023"},
        {jan31, 4, "dmy/", "2023-01-31"}, {DateValue{2, 2, 5}, 1, "dmy/", "02/02/0005"},
        {DateValue{12, 12, 1999}, 3, "dmy/", "12th Dec 1999"}, {DateValue{22, 3, 2000}, 3, "dmy/", "22nd Mar 2000"},
        {DateValue{3, 13, 2000}, 3, "dmy/", "3rd ??? 2000"},  {DateValue{255, 255, 65535}, 1, "dmy/", "255/255/65535"},
        {DateValue{1, 2, 2003}, 9, "dmy/", "01/02/2003"},       // unknown style: style 1
        {DateValue{1, 2, 2003}, 1, "xyz", "02/01/2003"},        // unusable order: mdy/
    };
    for (const auto& c : kCases)
        EXPECT_EQ(DateToText(c.date, c.style, c.order).ToStdString(), c.text) << c.style << " " << c.order;
}

TEST(TextToDate, OrdersAndYears) {
    const struct { const char* text; const char* order; int day, month, year; } kCases[] = {
        {"2023/01/31", "dmy/", 31, 1, 2023},  // first number above 1000: year first
        {"31/1/99", "dmy/", 31, 1, 1999},   {"1/2/05", "dmy/", 1, 2, 2005},
        {"12/31/69", "mdy/", 31, 12, 2069}, {"12/31/70", "mdy/", 31, 12, 1970},
        {"01/02/0099", "dmy/", 1, 2, 99},     // four digits written: no century added
        {"99-1-2", "ymd-", 2, 1, 1999},      {"31 1 2024", "dmy/", 31, 1, 2024},
        {"7", "dmy/", 7, 0, 2000},            // missing numbers are 0 (year 0 becomes 2000)
        {"", "mdy/", 0, 0, 2000},             {"3/", "mdy/", 0, 3, 2000},
    };
    for (const auto& c : kCases) {
        DateValue date = TextToDate(c.text, c.order);
        EXPECT_EQ(date.day, c.day) << c.text << " " << c.order;
        EXPECT_EQ(date.month, c.month) << c.text << " " << c.order;
        EXPECT_EQ(date.year, c.year) << c.text << " " << c.order;
    }
}

TEST(TimeToText, ClocksAroundMidnightAndNoon) {
    const struct { TimeValue time; int style; const char* text; } kCases[] = {
        {{0, 9, 5, 13}, 1, "1:05:09p"}, {{0, 0, 30, 0}, 1, "12:30:00a"}, {{0, 0, 0, 12}, 1, "12:00:00p"},
        {{99, 59, 59, 11}, 1, "11:59:59a"}, {{0, 59, 59, 23}, 1, "11:59:59p"}, {{0, 9, 5, 13}, 2, "1:05p"},
        {{0, 9, 5, 13}, 3, "13:05:09"}, {{0, 9, 5, 0}, 4, "0:05"}, {{0, 0, 0, 0}, 3, "0:00:00"},
    };
    for (const auto& c : kCases) EXPECT_EQ(TimeToText(c.time, c.style).ToStdString(), c.text) << c.text;
}

TEST(TextToTime, ReadsClockTexts) {
    const struct { const char* text; int hours, minutes, seconds; } kCases[] = {
        {"1:05:09p", 13, 5, 9}, {"12:30a", 0, 30, 0},  {"12:30:00a", 0, 30, 0}, {"12:00p", 12, 0, 0},
        {"13:05", 13, 5, 0},    {"11:59:59P", 23, 59, 59}, {"7", 7, 0, 0},       {"7p", 19, 0, 0},
        {"", 0, 0, 0},          {" 9 : 15 ", 9, 15, 0}, {"1:05:09p  ", 13, 5, 9},
    };
    for (const auto& c : kCases) {
        TimeValue time{42, 1, 1, 1};
        TextToTime(c.text, time);
        EXPECT_EQ(time.hours, c.hours) << c.text;
        EXPECT_EQ(time.minutes, c.minutes) << c.text;
        EXPECT_EQ(time.seconds, c.seconds) << c.text;
        EXPECT_EQ(time.hundredths, 42) << c.text;  // never touched
    }
}

TEST(NumberReaders, SignedIntegers) {
    const struct { const char* text; bool ok; int64_t value; } kCases[] = {
        {"42", true, 42},   {"  -42", true, -42}, {"42-", true, -42}, {"-42-", true, -42},
        {"+7", true, 7},    {"12abc", true, 12},   {"", true, 0},     {"abc", true, 0},
        {"9223372036854775807", true, INT64_MAX},  {"-9223372036854775808", true, INT64_MIN},
        {"9223372036854775808", false, 0},        {"99999999999999999999", false, 0},
    };
    for (const auto& c : kCases) {
        int64_t value = -1;
        EXPECT_EQ(ReadSignedInteger(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(NumberReaders, UnsignedIntegers) {
    const struct { const char* text; bool ok; uint64_t value; } kCases[] = {
        {"18446744073709551615", true, UINT64_MAX}, {"18446744073709551616", false, 0},
        {"-1", false, 0}, {"1-", false, 0}, {" 255 ", true, 255}, {"", true, 0},
    };
    for (const auto& c : kCases) {
        uint64_t value = 1;
        EXPECT_EQ(ReadUnsignedInteger(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(NumberReaders, Reals) {
    const struct { const char* text; long double value; } kCases[] = {
        {"3.5", 3.5L},         {"  -0.25", -0.25L},   {"1e3", 1000.0L},       {"1.5E-2", 0.015L},
        {"0.1", 0.1L},         {".5", 0.5L},          {"12.", 12.0L},         {"", 0.0L},
        {"abc", 0.0L},         {"007", 7.0L},         {"1.2.3", 1.2L},        {"5-", 5.0L},
        // 18 significant digits kept; further ones before the point only scale.
        {"1234567890123456789012", 123456789012345678e4L},
        {"0.1234567890123456789", 0.123456789012345678L},
        {"1e99999999", HUGE_VALL}, {"1e-99999999", 0.0L},
    };
    for (const auto& c : kCases) EXPECT_EQ(ReadReal(c.text), c.value) << c.text;
    EXPECT_EQ(ReadDouble(" 2.5"), 2.5);
    EXPECT_EQ(ReadDouble("-1e400"), -HUGE_VAL);
    EXPECT_EQ(ReadDouble("x"), 0.0);
    EXPECT_EQ(ReadDouble("+0.1"), 0.1);
}

TEST(IntegerText, Bases) {
    EXPECT_EQ(IntegerToText(255, 16).ToStdString(), "FF");
    EXPECT_EQ(IntegerToText(-5, 2).ToStdString(), "-101");
    EXPECT_EQ(IntegerToText(35, 36).ToStdString(), "Z");
    EXPECT_EQ(IntegerToText(0, 7).ToStdString(), "0");
    EXPECT_EQ(IntegerToText(INT64_MIN, 10).ToStdString(), "-9223372036854775808");
    EXPECT_EQ(UnsignedToText(UINT64_MAX, 16).ToStdString(), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(UnsignedToText(UINT64_MAX, 2).ToStdString(), std::string(64, '1'));
    EXPECT_TRUE(IntegerToText(5, 1).IsEmpty());
    EXPECT_TRUE(IntegerToText(5, 37).IsEmpty());
}

}  // namespace
