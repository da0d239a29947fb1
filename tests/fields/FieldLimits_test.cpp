// Lowest and highest values, and the guarantee that no conversion reads or
// writes outside the field or the record whatever the field's length.

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fields/FieldCodec.h"
#include "fields/NumberText.h"
#include "TestSupport.h"

using fieldtest::MakeField;
using fieldtest::ToHex;

namespace {

struct LimitCase {
    uint8_t type;
    int length;
    const char* lowest;
    const char* highest;
};

const LimitCase kLimits[] = {
    {kTypeInteger, 1, "80", "7F"},
    {kTypeInteger, 2, "00 80", "FF 7F"},
    {kTypeInteger, 4, "00 00 00 80", "FF FF FF 7F"},
    {kTypeInteger, 8, "00 00 00 00 00 00 00 80", "FF FF FF FF FF FF FF 7F"},
    {kTypeAutoIncrement, 2, "00 80", "FF 7F"},
    {kTypeInteger, 3, "00 00 00", "FF FF FF"},
    {kTypeUnsignedInteger, 2, "00 00", "FF FF"},
    {kTypeFloat, 4, "FF FF 7F FF", "FF FF 7F 7F"},
    {kTypeFloat, 8, "FF FF FF FF FF FF EF FF", "FF FF FF FF FF FF EF 7F"},
    {kTypeFloat, 10, "FF FF FF FF FF FF FF FF FE FF", "FF FF FF FF FF FF FF FF FE 7F"},
    {kTypeBFloat, 4, "FF FF FF FF", "FF FF 7F FF"},
    {kTypeBFloat, 8, "FF FF FF FF FF FF FF FF", "FF FF FF FF FF FF 7F FF"},
    {kTypeDecimal, 3, "99 99 9D", "99 99 9F"},
    {kTypeDecimal, 1, "9D", "9F"},
    {kTypeString, 3, "00 00 00", "7F 7F 7F"},
    {kTypeLString, 4, "00 00 00 00", "03 7F 7F 7F"},
    {kTypeZString, 4, "00 00 00 00", "7F 7F 7F 00"},
    {kTypeNote, 3, "00 00 00", "FF FF FF"},
    {kTypeLogical, 2, "00 00", "01 00"},
    {kTypeBit, 1, "00", "01"},
    {kTypeDate, 4, "00 00 00 00", "FF FF FF FF"},
    {kTypeTime, 4, "00 00 00 00", "FF FF FF FF"},
    {kTypeCurrency, 8, "00 00 00 00 00 00 00 80", "FF FF FF FF FF FF FF 7F"},
    {kTypeMoney, 2, "00 00", "FF FF"},
    {kTypeLvar, 2, "00 00", "FF FF"},
};

TEST(FieldLimits, LowestAndHighest) {
    for (const LimitCase& c : kLimits) {
        std::vector<uint8_t> record(static_cast<size_t>(c.length), 0xAB);
        FieldAttributes field = MakeField(c.type, c.length);
        SetFieldLowest(field, record.data(), c.length);
        EXPECT_EQ(ToHex(record), c.lowest) << DataTypeName(c.type) << "(" << c.length << ") lowest";
        SetFieldHighest(field, record.data(), c.length);
        EXPECT_EQ(ToHex(record), c.highest) << DataTypeName(c.type) << "(" << c.length << ") highest";
    }
}

TEST(FieldLimits, ExtremesOrderEveryValue) {
    // The lowest and highest values sort before and after an ordinary value.
    const struct { uint8_t type; int length; const char* text; } kCases[] = {
        {kTypeInteger, 4, "-5"}, {kTypeFloat, 4, "-1e30"}, {kTypeFloat, 8, "1e300"}, {kTypeFloat, 10, "-7"},
        {kTypeBFloat, 4, "-1e30"}, {kTypeBFloat, 8, "1e30"}, {kTypeDecimal, 3, "-999.9"},
        {kTypeCurrency, 8, "-5.5"}, {kTypeString, 4, "zz"}, {kTypeZString, 4, "a"},
    };
    for (const auto& c : kCases) {
        FieldAttributes field = MakeField(c.type, c.length, 1);
        std::vector<uint8_t> low(static_cast<size_t>(c.length)), high = low, value = low;
        int n = c.length;
        SetFieldLowest(field, low.data(), n);
        SetFieldHighest(field, high.data(), n);
        ASSERT_TRUE(FieldFromText(field, value.data(), n, c.text)) << c.text;
        EXPECT_LT(CompareField(field, low.data(), n, value.data(), n), 0) << DataTypeName(c.type) << " " << c.text;
        EXPECT_GT(CompareField(field, high.data(), n, value.data(), n), 0) << DataTypeName(c.type) << " " << c.text;
    }
}

// Every operation on every type and awkward length, with the field inside,
// across the end of, or beyond the record: nothing outside the field (and
// nothing past the record) changes, and the sanitizers see no access past the
// exact-size buffer.
TEST(FieldBounds, NoAccessOutsideTheFieldOrRecord) {
    std::vector<uint8_t> types;
    for (int t = 0; t <= 20; ++t) types.push_back(static_cast<uint8_t>(t));
    types.push_back(kTypeCalculated);
    const char* kTexts[] = {"", "1", "-1", "12345678901234567890", "31/12/2023", "12:30:45p", "Y",
                            "-123.4567", "abcdefghijklmnopqrstuvwxyz", "1e308", "9.9.9"};
    const int kRecord = 12;
    for (uint8_t type : types) {
        for (int length = 0; length <= 12; ++length) {
            for (int offset : {0, 5, 9, 11, 12, 20}) {
                for (int decimals : {-1, 0, 2, 30}) {
                    FieldAttributes field = MakeField(type, length, decimals, length % 2 ? 7 : -7, offset);
                    // Exactly kRecord bytes on the heap, so a read or write past them is caught.
                    std::unique_ptr<uint8_t[]> a(new uint8_t[kRecord]);
                    std::unique_ptr<uint8_t[]> b(new uint8_t[kRecord]);
                    for (int i = 0; i < kRecord; ++i) a[i] = b[i] = static_cast<uint8_t>(0x5A + i);
                    std::vector<uint8_t> before(a.get(), a.get() + kRecord);
                    FieldToText(field, a.get(), kRecord, false);
                    FieldToText(field, a.get(), kRecord, true);
                    for (const char* text : kTexts) FieldFromText(field, a.get(), kRecord, text);
                    SetFieldLowest(field, b.get(), kRecord);
                    CompareField(field, a.get(), kRecord, b.get(), kRecord);
                    SetFieldHighest(field, b.get(), kRecord);
                    CompareField(field, b.get(), kRecord, a.get(), kRecord);
                    for (int i = 0; i < kRecord; ++i) {
                        bool inField = i >= offset && i < offset + length;
                        if (!inField) {
                            ASSERT_EQ(a[i], before[i]) << DataTypeName(type) << "(" << length << ") at " << offset
                                                       << " changed byte " << i;
                            ASSERT_EQ(b[i], before[i]) << DataTypeName(type) << "(" << length << ") at " << offset
                                                       << " limits changed byte " << i;
                        }
                    }
                }
            }
        }
    }
}

// Widths and places come from view files typed by hand: extreme values give
// bounded text and store nothing outside the field (the sanitizers check the
// arithmetic on them too).
TEST(FieldBounds, AbsurdWidthsAndPlacesStayBounded) {
    std::vector<uint8_t> types;
    for (int t = 0; t <= kTypeLastEngine; ++t) types.push_back(static_cast<uint8_t>(t));
    const int kWidths[] = {INT_MIN, INT_MIN + 1, -1000000, 0, 1000000, INT_MAX};
    const int kPlaces[] = {INT_MIN, -1000000, -1, 1000000, INT_MAX};
    for (uint8_t type : types) {
        for (int length : {1, 4, 8, 10}) {
            for (int width : kWidths) {
                for (int decimals : kPlaces) {
                    FieldAttributes field = MakeField(type, length, decimals, width, 2);
                    std::vector<uint8_t> record(static_cast<size_t>(length) + 4, 0x35);
                    int n = static_cast<int>(record.size());
                    std::string where = std::string(DataTypeName(type)) + "(" + std::to_string(length) +
                                        ") width " + std::to_string(width) + " places " + std::to_string(decimals);
                    ASSERT_LE(FieldToText(field, record.data(), n, true).Length(), kMaxDisplayWidth) << where;
                    ASSERT_LE(FieldToText(field, record.data(), n, false).Length(), kMaxRealText) << where;
                    FieldFromText(field, record.data(), n, "-12.5");
                    ASSERT_EQ(record[0], 0x35) << where;
                    ASSERT_EQ(record[n - 1], 0x35) << where;
                }
            }
        }
    }
    for (int width : kWidths) {
        auto calculated = FieldAttributes::Calculated("Total", width, "1", 2);
        EXPECT_GE(std::llabs(static_cast<long long>(calculated->width)), 5) << width;  // never narrower than the name
    }
}

TEST(FieldBounds, TextFieldsAcrossTheRecordEndUseThePartInside) {
    // A String of 6 bytes at offset 4 of an 8-byte record holds 4 characters there.
    std::vector<uint8_t> record(8, ' ');
    FieldAttributes field = MakeField(kTypeString, 6, 2, -6, 4);
    EXPECT_FALSE(FieldFromText(field, record.data(), 8, "abcde"));
    ASSERT_TRUE(FieldFromText(field, record.data(), 8, "abcd"));
    EXPECT_EQ(FieldToText(field, record.data(), 8, false).ToStdString(), "abcd");
    EXPECT_EQ(FieldToText(field, record.data(), 8, true).ToStdString(), "abcd  ");
    // A number across the end is not converted.
    FieldAttributes number = MakeField(kTypeInteger, 4, 2, 3, 6);
    EXPECT_EQ(FieldToText(number, record.data(), 8, true).ToStdString(), "   ");
    EXPECT_FALSE(FieldFromText(number, record.data(), 8, "1"));
    // A null record is not converted either.
    EXPECT_EQ(FieldToText(number, nullptr, 0, false).ToStdString(), "");
}

}  // namespace
