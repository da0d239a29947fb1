// The record codec by type: record bytes, their plain and display texts, and
// the bytes each text stores back.

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstring>
#include <locale.h>

#include "base/Endian.h"
#include "fields/FieldCodec.h"
#include "fields/FieldJoin.h"
#include "fields/FieldList.h"
#include "fields/NumberText.h"
#include "TestSupport.h"

using fieldtest::Hex;
using fieldtest::MakeField;
using fieldtest::ToHex;

namespace {

// Runs every test of this file in the C locale (date order "mdy/").
class CLocale {
public:
    CLocale() : locale(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))), previous(uselocale(locale)) {}
    ~CLocale() {
        uselocale(previous);
        freelocale(locale);
    }

private:
    locale_t locale;
    locale_t previous;
};

struct ReadCase {
    uint8_t type;
    int length;
    int decimals;
    int width;
    const char* bytes;
    const char* plain;
    const char* display;
};

const ReadCase kReadCases[] = {
    // Integers of 1, 2, 4 and 8 bytes, with their extremes.
    {kTypeInteger, 1, 2, 5, "80", "-128", " -128"},
    {kTypeInteger, 1, 2, 3, "7F", "127", "127"},
    {kTypeInteger, 1, 2, 3, "80", "-128", "128"},  // a longer text keeps its rightmost characters
    {kTypeInteger, 2, 2, 6, "00 80", "-32768", "-32768"},
    {kTypeInteger, 2, 2, 6, "FF FF", "-1", "    -1"},
    {kTypeInteger, 4, 2, 11, "00 00 00 80", "-2147483648", "-2147483648"},
    {kTypeInteger, 8, 2, 20, "00 00 00 00 00 00 00 80", "-9223372036854775808", "-9223372036854775808"},
    {kTypeInteger, 8, 2, -22, "FF FF FF FF FF FF FF 7F", "9223372036854775807", "9223372036854775807   "},
    {kTypeAutoIncrement, 4, 2, 4, "2A 00 00 00", "42", "  42"},
    {kTypeInteger, 3, 2, 4, "01 02 03", "", "    "},  // no defined conversion for 3 bytes
    {kTypeUnsignedInteger, 2, 2, 6, "FF FF", "65535", " 65535"},
    {kTypeUnsignedInteger, 8, 2, 20, "FF FF FF FF FF FF FF FF", "18446744073709551615", "18446744073709551615"},
    {kTypeUnsignedInteger, 5, 2, 3, "FF FF FF FF FF", "", "   "},
    // Floats of 4, 8 and 10 bytes.
    {kTypeFloat, 4, 2, 10, "D0 0F 49 40", "3.14159", "     3.14 "},           // 3.14159f
    {kTypeFloat, 8, 2, 10, "6E 86 1B F0 F9 21 09 40", "3.14159", "     3.14 "},
    {kTypeFloat, 8, 2, 10, "3D 0A D7 A3 70 FD 23 40", "9.995", "    10.00 "},  // rounding carry
    {kTypeFloat, 8, 2, 5, "00 00 00 00 7E 84 2E 41", "1e6", " *** "},          // 999999: asterisks
    {kTypeFloat, 8, -1, 5, "00 00 00 00 7E 84 2E 41", "1e6", " 1e6 "},
    {kTypeFloat, 8, 2, 10, "00 00 00 00 00 00 16 C0", "-5.5", "     5.50-"},
    {kTypeFloat, 4, -1, 11, "00 00 C0 3F", "1.5", "       1.5 "},
    {kTypeFloat, 4, -1, 11, "3F ED 24 2F", "1.5e-10", "   1.5e-10 "},
    {kTypeFloat, 10, -1, 25, "00 00 00 00 00 00 00 80 FF 3F", "1", "                       1 "},
    {kTypeFloat, 10, 3, 12, "00 00 00 00 00 00 00 80 00 C0", "-2", "      2.000-"},
    {kTypeFloat, 10, -1, 25, "AB AA AA AA AA AA AA AA FD 3F", "0.333333333333333333", "    0.333333333333333333 "},
    {kTypeFloat, 6, 2, 4, "00 00 00 00 00 00", "", "    "},
    // MBF singles and doubles.
    {kTypeBFloat, 4, -1, 11, "00 00 00 81", "1", "         1 "},
    {kTypeBFloat, 4, -1, 11, "00 00 A0 82", "-2.5", "       2.5-"},
    {kTypeBFloat, 4, -1, 11, "00 00 00 00", "0", "         0 "},
    {kTypeBFloat, 4, -1, 11, "12 34 56 00", "0", "         0 "},  // exponent 0 is zero
    {kTypeBFloat, 4, -1, 11, "00 00 20 7E", "0.15625", "   0.15625 "},
    {kTypeBFloat, 4, -1, 11, "00 00 40 E5", "1.90148e30", "1.90148e30 "},
    {kTypeBFloat, 8, 2, 20, "00 00 00 00 00 00 00 81", "1", "               1.00 "},
    {kTypeBFloat, 8, -1, 20, "00 00 00 00 00 00 A0 82", "-2.5", "                2.5-"},
    {kTypeBFloat, 8, -1, 20, "00 00 00 00 00 00 00 00", "0", "                  0 "},
    // Dates and times (C locale: month/day/year).
    {kTypeDate, 4, 2, 10, "1F 01 E7 07", "01/31/2023", "01/31/2023"},
    {kTypeDate, 4, 2, 12, "05 02 05 00", "02/05/0005", "  02/05/0005"},
    {kTypeDate, 3, 2, 10, "1F 01 E7", "", "          "},
    {kTypeTime, 4, 2, 9, "00 09 05 0D", "1:05:09p", " 1:05:09p"},
    {kTypeTime, 4, 2, 9, "63 00 1E 00", "12:30:00a", "12:30:00a"},
    {kTypeTime, 4, 2, 9, "00 00 00 0C", "12:00:00p", "12:00:00p"},
    // Logical and Bit.
    {kTypeLogical, 1, 2, 3, "00", "N", "  N"},
    {kTypeLogical, 2, 2, -3, "FF 00", "Y", "Y  "},
    {kTypeBit, 1, 2, 1, "01", "Y", "Y"},
    {kTypeLogical, 0, 2, 2, "", "", "  "},
    // Packed decimals: leading zeros, a fraction, both signs.
    {kTypeDecimal, 3, 2, 8, "00 12 3D", "-1.23", "   1.23-"},
    {kTypeDecimal, 3, 2, 8, "00 12 3F", "1.23", "   1.23 "},
    {kTypeDecimal, 3, 0, 4, "00 00 5F", "5", "  5 "},
    {kTypeDecimal, 3, 2, 6, "00 00 5C", "0.05", " 0.05 "},
    {kTypeDecimal, 2, 3, 7, "00 5F", "0.005", " 0.005 "},
    {kTypeDecimal, 2, 1, 6, "12 3D", "-12.3", " 12.3-"},
    {kTypeDecimal, 2, 0, 4, "00 0D", "-0", "  0-"},
    // Currency.
    {kTypeCurrency, 8, 2, 10, "28 29 FF FF FF FF FF FF", "-5.5000", "   -5.5000"},
    {kTypeCurrency, 8, 2, 8, "07 00 00 00 00 00 00 00", "0.0007", "  0.0007"},
    {kTypeCurrency, 8, 2, 21, "00 00 00 00 00 00 00 80", "-922337203685477.5808", "-922337203685477.5808"},
    {kTypeCurrency, 4, 2, 3, "07 00 00 00", "", "   "},
    // Text types.
    {kTypeString, 6, 2, -8, "61 62 20 63 09 20", "ab c", "ab c    "},
    {kTypeString, 5, 2, -5, "61 00 62 20 20", "a", "a    "},                // cut at a zero byte
    {kTypeString, 5, 2, 0, "61 62 63 20 20", "abc", ""},                     // width 0: empty
    {kTypeString, 5, 2, 2, "61 62 63 20 20", "abc", "bc"},
    {kTypeZString, 6, 2, -5, "61 62 00 63 64 00", "ab", "ab   "},
    {kTypeZString, 3, 2, -5, "61 62 63", "abc", "abc  "},                   // no terminator: L bytes
    {kTypeNote, 4, 2, -3, "6E 20 00 00", "n ", "n  "},
    {kTypeLString, 5, 2, -4, "03 61 62 63 78", "abc", "abc "},
    {kTypeLString, 5, 2, -4, "05 61 62 63 64", "", "    "},                  // length byte past the field
    // Types that are not converted.
    {kTypeMoney, 4, 2, 3, "01 02 03 04", "", "   "},
    {kTypeNumeric, 4, 2, 3, "31 32 33 34", "", "   "},
    {kTypeLvar, 4, 2, 3, "01 02 03 04", "", "   "},
    {kTypeNumericSTS, 4, 2, 3, "31 32 33 34", "", "   "},
    {kTypeNumericSA, 4, 2, -2, "31 32 33 34", "", "  "},
    {42, 4, 2, 3, "31 32 33 34", "", "   "},
};

TEST(FieldToText, Table) {
    CLocale locale;
    for (const ReadCase& c : kReadCases) {
        std::vector<uint8_t> record = Hex(c.bytes);
        FieldAttributes field = MakeField(c.type, c.length, c.decimals, c.width);
        std::string where = std::string(DataTypeName(c.type)) + "(" + std::to_string(c.length) + ") [" + c.bytes +
                            "] decimals " + std::to_string(c.decimals) + " width " + std::to_string(c.width);
        const uint8_t* data = record.empty() ? nullptr : record.data();
        int size = static_cast<int>(record.size());
        EXPECT_EQ(FieldToText(field, data, size, false).ToStdString(), c.plain) << where;
        EXPECT_EQ(FieldToText(field, data, size, true).ToStdString(), c.display) << where;
    }
}

TEST(FieldToText, LStringKeepsZeroBytesInside) {
    std::vector<uint8_t> record = Hex("03 61 00 62 20");
    FieldAttributes field = MakeField(kTypeLString, 5);
    Estring text = FieldToText(field, record.data(), 5, false);
    ASSERT_EQ(text.Length(), 3);
    EXPECT_EQ(std::string(text.Text(), 3), std::string("a\0b", 3));
}

struct StoreCase {
    uint8_t type;
    int length;
    int decimals;
    const char* text;
    bool ok;
    const char* bytes;  // expected field bytes (the field starts as 0xEE bytes)
};

const StoreCase kStoreCases[] = {
    {kTypeInteger, 1, 2, "128", false, "EE"},
    {kTypeInteger, 1, 2, "-128", true, "80"},
    {kTypeInteger, 1, 2, "-129", false, "EE"},
    {kTypeInteger, 1, 2, "5-", true, "FB"},
    {kTypeInteger, 2, 2, " 32767 ", true, "FF 7F"},
    {kTypeInteger, 2, 2, "32768", false, "EE EE"},
    {kTypeInteger, 2, 2, "", true, "00 00"},
    {kTypeInteger, 4, 2, "-2147483648", true, "00 00 00 80"},
    {kTypeInteger, 4, 2, "2147483648", false, "EE EE EE EE"},
    {kTypeInteger, 8, 2, "-9223372036854775808", true, "00 00 00 00 00 00 00 80"},
    {kTypeInteger, 8, 2, "9223372036854775808", false, "EE EE EE EE EE EE EE EE"},
    {kTypeInteger, 3, 2, "1", false, "EE EE EE"},
    {kTypeAutoIncrement, 2, 2, "42abc", true, "2A 00"},
    {kTypeUnsignedInteger, 1, 2, "255", true, "FF"},
    {kTypeUnsignedInteger, 1, 2, "256", false, "EE"},
    {kTypeUnsignedInteger, 2, 2, "-1", false, "EE EE"},
    {kTypeUnsignedInteger, 8, 2, "18446744073709551615", true, "FF FF FF FF FF FF FF FF"},
    {kTypeUnsignedInteger, 8, 2, "18446744073709551616", false, "EE EE EE EE EE EE EE EE"},
    {kTypeFloat, 4, 2, "1.5", true, "00 00 C0 3F"},
    {kTypeFloat, 4, 2, "3.14159", true, "D0 0F 49 40"},
    {kTypeFloat, 8, 2, "-5.5", true, "00 00 00 00 00 00 16 C0"},
    {kTypeFloat, 8, 2, "5.50-", true, "00 00 00 00 00 00 16 C0"},
    {kTypeFloat, 8, 2, "9.995", true, "3D 0A D7 A3 70 FD 23 40"},
    {kTypeFloat, 8, 2, "-5.5-", true, "00 00 00 00 00 00 16 C0"},  // one minus is enough, as for integers
    {kTypeFloat, 8, 2, "abc", true, "00 00 00 00 00 00 00 00"},  // floats never refuse a text
    {kTypeFloat, 10, 2, "1", true, "00 00 00 00 00 00 00 80 FF 3F"},
    {kTypeFloat, 10, 2, "-2", true, "00 00 00 00 00 00 00 80 00 C0"},
    {kTypeFloat, 6, 2, "1", false, "EE EE EE EE EE EE"},
    {kTypeBFloat, 4, 2, "1", true, "00 00 00 81"},
    {kTypeBFloat, 4, 2, "-2.5", true, "00 00 A0 82"},
    {kTypeBFloat, 4, 2, "2.5-", true, "00 00 A0 82"},
    {kTypeBFloat, 4, 2, " -2.5- ", true, "00 00 A0 82"},
    {kTypeBFloat, 4, 2, "0", true, "00 00 00 00"},
    {kTypeBFloat, 4, 2, "0.15625", true, "00 00 20 7E"},
    {kTypeBFloat, 4, 2, "1.9014759003423441e30", true, "00 00 40 E5"},
    {kTypeBFloat, 4, 2, "1e39", true, "FF FF 7F FF"},   // past the MBF range: the largest magnitude
    {kTypeBFloat, 4, 2, "1e-50", true, "00 00 00 00"},  // below it: zero
    {kTypeBFloat, 8, 2, "1", true, "00 00 00 00 00 00 00 81"},
    {kTypeBFloat, 8, 2, "-2.5", true, "00 00 00 00 00 00 A0 82"},
    {kTypeBFloat, 8, 2, "0", true, "00 00 00 00 00 00 00 00"},
    {kTypeBFloat, 8, 2, "0.1", true, "D0 CC CC CC CC CC 4C 7D"},
    {kTypeDate, 4, 2, "01/31/2023", true, "1F 01 E7 07"},
    {kTypeDate, 4, 2, "2023-01-31", true, "1F 01 E7 07"},
    {kTypeDate, 4, 2, "12/25/69", true, "19 0C 15 08"},
    {kTypeDate, 2, 2, "01/31/2023", false, "EE EE"},
    {kTypeTime, 4, 2, "1:05:09p", true, "EE 09 05 0D"},  // hundredths untouched
    {kTypeTime, 4, 2, "12:30a", true, "EE 00 1E 00"},
    {kTypeLogical, 1, 2, " y ", true, "01"},
    {kTypeLogical, 2, 2, "T", true, "01 EE"},
    {kTypeLogical, 1, 2, "yes", true, "00"},
    {kTypeBit, 1, 2, "", true, "00"},
    {kTypeDecimal, 3, 2, "-1.234", true, "00 12 3D"},
    {kTypeDecimal, 3, 2, "1.23-", true, "00 12 3D"},
    {kTypeDecimal, 3, 2, "  1.2 ", true, "00 12 0F"},
    {kTypeDecimal, 3, 2, "123.45", true, "12 34 5F"},
    {kTypeDecimal, 3, 2, "1234.5", false, "EE EE EE"},
    {kTypeDecimal, 3, 2, "0012.5", true, "01 25 0F"},   // leading zeros are not digits that count
    {kTypeDecimal, 2, 3, "0.005", true, "00 5F"},       // all places after the point
    {kTypeDecimal, 2, 3, "0.0051", true, "00 5F"},      // cut, not rounded
    {kTypeDecimal, 3, 2, "1a.5", false, "EE EE EE"},
    {kTypeDecimal, 3, 0, "", true, "00 00 0F"},
    {kTypeCurrency, 8, 2, "-5.5", true, "28 29 FF FF FF FF FF FF"},
    {kTypeCurrency, 8, 2, "5.5-", true, "28 29 FF FF FF FF FF FF"},
    {kTypeCurrency, 8, 2, "-0.5", true, "78 EC FF FF FF FF FF FF"},
    {kTypeCurrency, 8, 2, "0.0007", true, "07 00 00 00 00 00 00 00"},
    {kTypeCurrency, 8, 2, "1.23456", true, "39 30 00 00 00 00 00 00"},
    {kTypeCurrency, 8, 2, "-922337203685477.5808", true, "00 00 00 00 00 00 00 80"},
    {kTypeCurrency, 8, 2, "922337203685477.5808", false, "EE EE EE EE EE EE EE EE"},
    {kTypeCurrency, 4, 2, "1", false, "EE EE EE EE"},
    {kTypeString, 5, 2, "ab", true, "61 62 20 20 20"},
    {kTypeString, 5, 2, "abcdef", false, "EE EE EE EE EE"},
    {kTypeZString, 4, 2, "abc", true, "61 62 63 00"},
    {kTypeZString, 4, 2, "abcd", false, "EE EE EE EE"},
    {kTypeNote, 4, 2, "a", true, "61 00 00 00"},
    {kTypeLString, 4, 2, "abc", true, "03 61 62 63"},
    {kTypeLString, 4, 2, "abcd", false, "EE EE EE EE"},
    {kTypeMoney, 4, 2, "1", false, "EE EE EE EE"},
    {kTypeNumeric, 4, 2, "1", false, "EE EE EE EE"},
    {kTypeLvar, 4, 2, "1", false, "EE EE EE EE"},
    {kTypeNumericSTS, 4, 2, "1", false, "EE EE EE EE"},
    {kTypeNumericSA, 4, 2, "1", false, "EE EE EE EE"},
    {99, 4, 2, "1", false, "EE EE EE EE"},
};

TEST(FieldFromText, Table) {
    CLocale locale;
    for (const StoreCase& c : kStoreCases) {
        std::vector<uint8_t> record(static_cast<size_t>(c.length), 0xEE);
        FieldAttributes field = MakeField(c.type, c.length, c.decimals);
        bool ok = FieldFromText(field, record.data(), c.length, c.text);
        std::string where = std::string(DataTypeName(c.type)) + "(" + std::to_string(c.length) + ") text [" +
                            c.text + "]";
        EXPECT_EQ(ok, c.ok) << where;
        EXPECT_EQ(ToHex(record), c.bytes) << where;
    }
}

TEST(FieldFromText, TextWithZeroByteInside) {
    const std::string text("a\0b", 3);
    std::vector<uint8_t> record(5, 0xEE);
    FieldAttributes string = MakeField(kTypeString, 5);
    ASSERT_TRUE(FieldFromText(string, record.data(), 5, text));
    EXPECT_EQ(ToHex(record), "61 00 62 20 20");
    EXPECT_EQ(FieldToText(string, record.data(), 5, false).ToStdString(), "a");

    FieldAttributes lstring = MakeField(kTypeLString, 5);
    ASSERT_TRUE(FieldFromText(lstring, record.data(), 5, text));
    EXPECT_EQ(ToHex(record), "03 61 00 62 20");
    EXPECT_EQ(FieldToText(lstring, record.data(), 5, false).ToStdString(), text);
}

TEST(FieldFromText, OnlyTheFieldChanges) {
    // Field at offset 2 of an 8-byte record: the bytes around it keep their values.
    std::vector<uint8_t> record(8, 0xAA);
    FieldAttributes field = MakeField(kTypeInteger, 4, 2, 11, 2);
    ASSERT_TRUE(FieldFromText(field, record.data(), 8, "-2"));
    EXPECT_EQ(ToHex(record), "AA AA FE FF FF FF AA AA");
    EXPECT_EQ(FieldToText(field, record.data(), 8, false).ToStdString(), "-2");
}

// MBF conversion both ways, against values built independently.
TEST(Mbf, BothWays) {
    const struct { double value; const char* single; const char* dbl; } kCases[] = {
        {1.0, "00 00 00 81", "00 00 00 00 00 00 00 81"},
        {-2.5, "00 00 A0 82", "00 00 00 00 00 00 A0 82"},
        {0.0, "00 00 00 00", "00 00 00 00 00 00 00 00"},
        {0.15625, "00 00 20 7E", "00 00 00 00 00 00 20 7E"},
        {std::ldexp(1.5, 100), "00 00 40 E5", "00 00 00 00 00 00 40 E5"},
        {std::ldexp(1.0, -128), "00 00 00 01", "00 00 00 00 00 00 00 01"},  // the smallest MBF value
    };
    for (const auto& c : kCases) {
        uint8_t single[4], dbl[8];
        DoubleToMbfSingle(c.value, single);
        DoubleToMbfDouble(c.value, dbl);
        EXPECT_EQ(ToHex(single, 4), c.single) << c.value;
        EXPECT_EQ(ToHex(dbl, 8), c.dbl) << c.value;
        EXPECT_EQ(MbfSingleToDouble(Hex(c.single).data()), c.value) << c.value;
        EXPECT_EQ(MbfDoubleToDouble(Hex(c.dbl).data()), c.value) << c.value;
    }
    // Doubles keep 52 of the 55 mantissa bits: the low three are dropped, not rounded.
    EXPECT_EQ(MbfDoubleToDouble(Hex("07 00 00 00 00 00 00 81").data()), 1.0);
    // Single mantissas are rounded to 24 bits, ties to even.
    uint8_t single[4];
    DoubleToMbfSingle(1.0 + std::ldexp(2.5, -23), single);
    EXPECT_EQ(ToHex(single, 4), "02 00 00 81");
    DoubleToMbfSingle(1.0 + std::ldexp(3.5, -23), single);
    EXPECT_EQ(ToHex(single, 4), "04 00 00 81");
    DoubleToMbfSingle(-(2.0 - std::ldexp(1.0, -30)), single);  // rounds up into the next exponent
    EXPECT_EQ(ToHex(single, 4), "00 00 80 82");
}

TEST(DataTypeDescription, NamesAndLengths) {
    EXPECT_EQ(DataTypeDescription(MakeField(kTypeInteger, 4)).ToStdString(), "Integer(4)");
    EXPECT_EQ(DataTypeDescription(MakeField(kTypeUnsignedInteger, 8)).ToStdString(), "Unsigned Integer(8)");
    EXPECT_EQ(DataTypeDescription(MakeField(kTypeNumericSA, 3)).ToStdString(), "NumericSA(3)");
    EXPECT_EQ(DataTypeDescription(MakeField(kTypeCurrency, 8)).ToStdString(), "Currency(8)");
    EXPECT_EQ(DataTypeDescription(MakeField(kTypeCalculated, 0)).ToStdString(), "Calculated");
    EXPECT_EQ(DataTypeDescription(MakeField(20, 4)).ToStdString(), "Unknown type");
}

TEST(DefaultDisplayWidth, TypeDefaultsWidenedToTheHeading) {
    const struct { uint8_t type; int length; const char* name; int width; } kCases[] = {
        {kTypeString, 30, "Name", -30},          {kTypeString, 2, "Country", -7},
        {kTypeInteger, 1, "N", 3},               {kTypeInteger, 2, "N", 6},
        {kTypeInteger, 4, "N", 11},              {kTypeInteger, 8, "N", 20},
        {kTypeInteger, 3, "N", 20},              {kTypeUnsignedInteger, 2, "N", 6},
        {kTypeFloat, 4, "N", 11},                {kTypeFloat, 8, "N", 20},
        {kTypeFloat, 10, "N", 25},               {kTypeFloat, 6, "Amount", 6},
        {kTypeBFloat, 4, "N", 11},               {kTypeBFloat, 8, "N", 20},
        {kTypeDate, 4, "N", 10},                 {kTypeTime, 4, "N", 9},
        {kTypeDecimal, 5, "N", 12},              {kTypeLogical, 1, "Active", 6},
        {kTypeLString, 11, "N", -10},            {kTypeZString, 11, "N", -10},
        {kTypeNote, 200, "N", -199},             {kTypeCurrency, 8, "N", 21},
        {kTypeCalculated, 0, "Total", 5},        {kTypeMoney, 8, "Cash", 4},
        {kTypeString, 4, "Cust.Name", -4},       {kTypeInteger, 1, "Customers.Id", 9},
        {kTypeInteger, 1, "Orders.CustomerNumber", 14}, {kTypeString, 3, ".Name", -5},
    };
    for (const auto& c : kCases) {
        FieldAttributes field = MakeField(c.type, c.length);
        field.name = c.name;
        EXPECT_EQ(DefaultDisplayWidth(field), c.width) << DataTypeName(c.type) << " " << c.length << " " << c.name;
    }
}

// Calculated fields ask the owner list's evaluator.
class FixedEvaluator : public FormulaEvaluator {
public:
    explicit FixedEvaluator(bool succeed) : succeed(succeed) {}
    bool EvaluateToText(const FieldAttributes& field, const uint8_t* record, int recordLength, int width,
                        int decimals, Estring& text) const override {
        text = Estring::Format("%s w%d d%d n%d", field.formula.Text(), width, decimals, recordLength);
        return succeed;
    }

private:
    bool succeed;
};

TEST(FieldToText, CalculatedFields) {
    FieldList list;
    FieldAttributes* field = list.Add(FieldAttributes::Calculated("Total", -16, "a+b", 3));
    uint8_t record[4] = {};
    EXPECT_EQ(FieldToText(*field, record, 4, false).ToStdString(), "** Error **");
    EXPECT_EQ(FieldToText(*field, record, 4, true).ToStdString(), "** Error **     ");
    list.SetFormulaEvaluator(std::make_shared<FixedEvaluator>(true));
    EXPECT_EQ(FieldToText(*field, record, 4, false).ToStdString(), "a+b w-16 d-1 n4");
    EXPECT_EQ(FieldToText(*field, record, 4, true).ToStdString(), "a+b w-16 d3 n4  ");
    list.SetFormulaEvaluator(std::make_shared<FixedEvaluator>(false));
    EXPECT_EQ(FieldToText(*field, record, 4, false).ToStdString(), "** Error **");
    EXPECT_FALSE(FieldFromText(*field, record, 4, "1"));
}

// A join with a record of its own, or none.
class TestJoin : public FieldJoin {
public:
    uint8_t* JoinedRecord(const uint8_t* viewed, int viewedLength, int& joinedLength) override {
        ++calls;
        joinedLength = static_cast<int>(buffer.size());
        return have ? buffer.data() : nullptr;
    }
    std::vector<uint8_t> buffer = std::vector<uint8_t>(6, 0);
    bool have = true;
    int calls = 0;
};

TEST(FieldToText, JoinedFieldsReadTheJoinedRecord) {
    TestJoin join;
    le::PutI16(join.buffer.data() + 4, -7);
    FieldAttributes field = MakeField(kTypeInteger, 2, 2, 6, 4);
    field.join = &join;
    uint8_t viewed[2] = {0x11, 0x22};  // too short for the field: only the join's record is used
    EXPECT_EQ(FieldToText(field, viewed, 2, false).ToStdString(), "-7");
    ASSERT_TRUE(FieldFromText(field, viewed, 2, "300"));
    EXPECT_EQ(le::GetI16(join.buffer.data() + 4), 300);
    EXPECT_EQ(CompareField(field, viewed, 2, viewed, 2), 0);  // joined fields are not compared

    join.have = false;
    EXPECT_EQ(FieldToText(field, viewed, 2, false).ToStdString(), "");
    EXPECT_EQ(FieldToText(field, viewed, 2, true).ToStdString(), "      ");
    EXPECT_TRUE(FieldFromText(field, viewed, 2, "5"));  // accepted, written nowhere
    EXPECT_EQ(viewed[0], 0x11);
    EXPECT_EQ(viewed[1], 0x22);
}

}  // namespace
