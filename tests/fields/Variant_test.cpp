// Variant values: fields to values and back, text, day numbers.

#include "fields/Variant.h"

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Endian.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldJoin.h"
#include "fields/FieldTypes.h"

namespace {

std::unique_ptr<FieldAttributes> MakeField(uint8_t type, uint16_t offset, uint16_t length, int decimals = 0) {
    return FieldAttributes::FromDictionary("F", type, offset, length, 0, 1, decimals);
}

std::string Describe(const Variant& v) {
    return std::string(VariantKindName(v.kind)) + ":" + VariantToText(v, 80, -1).ToStdString();
}

std::string Read(uint8_t type, const std::vector<uint8_t>& bytes, int decimals = 0) {
    auto field = MakeField(type, 0, static_cast<uint16_t>(bytes.size()), decimals);
    Variant v;
    if (!FieldToVariant(*field, bytes.data(), static_cast<int>(bytes.size()), v)) return "failed";
    return Describe(v);
}

TEST(Variant, NewValueIsTheEmptyString) {
    Variant v;
    EXPECT_TRUE(v.IsString());
    EXPECT_EQ(v.string.Length(), 0);
    EXPECT_EQ(PackedDate(v.date), 0u);
    EXPECT_EQ(PackedTime(v.time), 0u);
}

TEST(Variant, FieldToVariantByType) {
    struct Case { uint8_t type; std::vector<uint8_t> bytes; int decimals; const char* expected; };
    const Case cases[] = {
        {kTypeInteger, {0xFF, 0xFF}, 0, "integer:-1"},
        {kTypeUnsignedInteger, {0xFF, 0xFF}, 0, "integer:65535"},
        {kTypeAutoIncrement, {0x80}, 0, "integer:-128"},
        {kTypeInteger, {1, 0, 0, 0, 0, 0, 0, 0x80}, 0, "integer:-9223372036854775807"},
        {kTypeUnsignedInteger, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0, "integer:-1"},  // 64 bits wrap
        {kTypeInteger, {1, 2, 3}, 0, "failed"},
        {kTypeString, {'a', 'b', ' ', ' '}, 0, "string:ab"},
        {kTypeString, {'a', 0, 'c', ' '}, 0, "string:a"},
        {kTypeZString, {'a', 'b', 0, 'x'}, 0, "string:ab"},
        {kTypeLString, {2, 'a', 'b', 'x'}, 0, "string:ab"},
        {kTypeNote, {'n', ' ', 0}, 0, "string:n "},
        {kTypeDate, {31, 1, 0xE7, 0x07}, 0, "date:01/31/2023"},
        {kTypeTime, {0, 9, 5, 13}, 0, "time:1:05:09p"},
        {kTypeLogical, {0}, 0, "logical:N"},
        {kTypeBit, {4}, 0, "logical:Y"},
        {kTypeDecimal, {0x00, 0x12, 0x3D}, 2, "real:-1.23"},
        {kTypeCurrency, {0x28, 0x29, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0, "real:-5.5"},
        {kTypeMoney, {0, 0, 0, 0}, 0, "failed"},
        {kTypeNumeric, {0, 0}, 0, "failed"},
        {kTypeLvar, {0, 0}, 0, "failed"},
        {kTypeNumericSTS, {0, 0}, 0, "failed"},
        {kTypeNumericSA, {0, 0}, 0, "failed"},
        {42, {0, 0}, 0, "failed"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.type, c.bytes, c.decimals), c.expected) << "type " << int(c.type);
    }
}

TEST(Variant, FloatsOfEachLength) {
    const float f = 3.25f;
    const double d = -1e300;
    const long double x = 1.5L;
    std::vector<uint8_t> b4(4), b8(8), b10(10);
    std::memcpy(b4.data(), &f, 4);
    std::memcpy(b8.data(), &d, 8);
    std::memcpy(b10.data(), &x, 10);
    EXPECT_EQ(Read(kTypeFloat, b4), "real:3.25");
    EXPECT_EQ(Read(kTypeFloat, b8), "real:-1e300");
    EXPECT_EQ(Read(kTypeFloat, b10), "real:1.5");
    EXPECT_EQ(Read(kTypeFloat, std::vector<uint8_t>(6)), "failed");
}

TEST(Variant, FieldOutsideTheRecordHasNoValue) {
    auto field = MakeField(kTypeInteger, 6, 4);
    std::vector<uint8_t> record(8, 0);
    Variant v;
    EXPECT_FALSE(FieldToVariant(*field, record.data(), 8, v));
    EXPECT_FALSE(VariantToField(Variant::Integer(1), *field, record.data(), 8));
    EXPECT_EQ(record, std::vector<uint8_t>(8, 0));
}

struct Store { Variant value; uint8_t type; uint16_t length; int decimals; bool ok; std::vector<uint8_t> bytes; };

TEST(Variant, VariantToFieldByType) {
    DateValue date;
    date.day = 2;
    date.month = 1;
    date.year = 2023;
    TimeValue time;
    time.hours = 13;
    const Store cases[] = {
        {Variant::Real(2.5L), kTypeInteger, 2, 0, true, {2, 0}},
        {Variant::Real(3.5L), kTypeInteger, 2, 0, true, {4, 0}},
        {Variant::Real(-2.5L), kTypeInteger, 2, 0, true, {0xFE, 0xFF}},
        {Variant::Integer(300), kTypeInteger, 1, 0, false, {}},
        {Variant::Integer(-128), kTypeInteger, 1, 0, true, {0x80}},
        {Variant::Integer(-129), kTypeAutoIncrement, 1, 0, false, {}},
        {Variant::Integer(255), kTypeUnsignedInteger, 1, 0, true, {0xFF}},
        {Variant::Integer(-1), kTypeUnsignedInteger, 2, 0, false, {}},
        {Variant::Integer(65536), kTypeUnsignedInteger, 2, 0, false, {}},
        {Variant::Integer(-1), kTypeInteger, 8, 0, true, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {Variant::Logical(true), kTypeInteger, 1, 0, true, {1}},
        {Variant::String("1"), kTypeInteger, 1, 0, false, {}},
        {Variant::Real(1e30L), kTypeInteger, 8, 0, false, {}},
        {Variant::String("ab"), kTypeString, 5, 0, true, {'a', 'b', ' ', ' ', ' '}},
        {Variant::String("abcdef"), kTypeString, 5, 0, false, {}},
        {Variant::Integer(5), kTypeString, 5, 0, false, {}},
        {Variant::Integer(-42), kTypeZString, 5, 0, true, {'-', '4', '2', 0, 0}},
        {Variant::Real(0.5L), kTypeLString, 5, 0, true, {3, '0', '.', '5', 0}},
        {Variant::String("abcde"), kTypeZString, 5, 0, false, {}},
        {Variant::Logical(true), kTypeZString, 5, 0, false, {}},
        {Variant::String("yes"), kTypeLogical, 1, 0, true, {0}},
        {Variant::String("y"), kTypeLogical, 1, 0, true, {1}},
        {Variant::String("T"), kTypeBit, 1, 0, true, {1}},
        {Variant::Integer(5), kTypeLogical, 1, 0, true, {1}},
        {Variant::Real(1.0L), kTypeLogical, 1, 0, false, {}},
        {Variant::Integer(0), kTypeDate, 4, 0, true, {1, 3, 0xBC, 0x07}},   // 1 March 1980
        {Variant::Date(date), kTypeDate, 4, 0, true, {2, 1, 0xE7, 0x07}},
        {Variant::String("x"), kTypeDate, 4, 0, false, {}},
        {Variant::Time(time), kTypeTime, 4, 0, true, {0, 0, 0, 13}},
        {Variant::Integer(1), kTypeTime, 4, 0, false, {}},
        {Variant::Real(-1.23L), kTypeDecimal, 3, 2, true, {0x00, 0x12, 0x3D}},
        {Variant::Integer(5), kTypeDecimal, 3, 2, true, {0x00, 0x50, 0x0F}},
        {Variant::String("5"), kTypeDecimal, 3, 2, false, {}},
        {Variant::Real(-5.5L), kTypeCurrency, 8, 2, true, {0x28, 0x29, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {Variant::Integer(2), kTypeCurrency, 8, 0, true, {0x20, 0x4E, 0, 0, 0, 0, 0, 0}},
        {Variant::Integer(1), kTypeMoney, 8, 0, false, {}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Store& c = cases[i];
        auto field = MakeField(c.type, 1, c.length, c.decimals);
        std::vector<uint8_t> record(c.length + 2u, 0xAA);
        const std::vector<uint8_t> before = record;
        const bool ok = VariantToField(c.value, *field, record.data(), static_cast<int>(record.size()));
        EXPECT_EQ(ok, c.ok) << "case " << i << " " << Describe(c.value);
        if (!c.ok) {
            EXPECT_EQ(record, before) << "case " << i << " wrote on failure";
            continue;
        }
        EXPECT_EQ(std::vector<uint8_t>(record.begin() + 1, record.end() - 1), c.bytes) << "case " << i;
        EXPECT_EQ(record.front(), 0xAA) << "case " << i;
        EXPECT_EQ(record.back(), 0xAA) << "case " << i;
    }
}

TEST(Variant, FloatStoreRoundTrips) {
    for (uint16_t length : {4, 8, 10}) {
        auto field = MakeField(kTypeFloat, 0, length);
        std::vector<uint8_t> record(length);
        for (long double x : {0.0L, 1.5L, -2.25L, 1e10L, 123456.75L}) {
            ASSERT_TRUE(VariantToField(Variant::Real(x), *field, record.data(), length));
            Variant back;
            ASSERT_TRUE(FieldToVariant(*field, record.data(), length, back));
            EXPECT_EQ(back.real, x) << "length " << length;
        }
        ASSERT_TRUE(VariantToField(Variant::Integer(7), *field, record.data(), length));
        Variant back;
        ASSERT_TRUE(FieldToVariant(*field, record.data(), length, back));
        EXPECT_EQ(back.real, 7.0L);
    }
    for (uint16_t length : {4, 8}) {
        auto field = MakeField(kTypeBFloat, 0, length);
        std::vector<uint8_t> record(length);
        ASSERT_TRUE(VariantToField(Variant::Real(-2.5L), *field, record.data(), length));
        Variant back;
        ASSERT_TRUE(FieldToVariant(*field, record.data(), length, back));
        EXPECT_EQ(back.real, -2.5L);
    }
}

class NoRecordJoin : public FieldJoin {
public:
    uint8_t* JoinedRecord(const uint8_t*, int, int&) override { return nullptr; }
};

class BufferJoin : public FieldJoin {
public:
    std::vector<uint8_t> buffer = std::vector<uint8_t>(8, 0);
    uint8_t* JoinedRecord(const uint8_t*, int, int& length) override {
        length = static_cast<int>(buffer.size());
        return buffer.data();
    }
};

TEST(Variant, JoinedFields) {
    NoRecordJoin none;
    BufferJoin joined;
    std::vector<uint8_t> record(4, 0x11);
    auto field = MakeField(kTypeInteger, 2, 2);
    Variant v;
    field->join = &none;
    ASSERT_TRUE(FieldToVariant(*field, record.data(), 4, v));
    EXPECT_EQ(Describe(v), "integer:0");  // an all-zero field
    EXPECT_TRUE(VariantToField(Variant::Integer(7), *field, record.data(), 4));  // checked, written nowhere
    EXPECT_FALSE(VariantToField(Variant::Integer(70000), *field, record.data(), 4));
    EXPECT_EQ(record, std::vector<uint8_t>(4, 0x11));
    field->join = &joined;
    EXPECT_TRUE(VariantToField(Variant::Integer(-2), *field, record.data(), 4));
    EXPECT_EQ(joined.buffer[2], 0xFE);
    ASSERT_TRUE(FieldToVariant(*field, record.data(), 4, v));
    EXPECT_EQ(Describe(v), "integer:-2");
    EXPECT_EQ(record, std::vector<uint8_t>(4, 0x11));
}

TEST(Variant, JoinedFieldWithoutRecordIsCheckedAsUsual) {
    // Every kind of field refuses what it would refuse with a joined record,
    // and nothing is written anywhere.
    NoRecordJoin none;
    struct Case { Variant value; uint8_t type; uint16_t length; int decimals; bool ok; };
    const Case cases[] = {
        {Variant::String("abc"), kTypeString, 3, 0, true},
        {Variant::String("abcd"), kTypeString, 3, 0, false},
        {Variant::String("ab"), kTypeZString, 3, 0, true},
        {Variant::String("abc"), kTypeZString, 3, 0, false},
        {Variant::Integer(12345), kTypeNote, 4, 0, false},
        {Variant::String("abc"), kTypeLString, 3, 0, false},
        {Variant::Integer(999), kTypeDecimal, 2, 0, true},
        {Variant::Integer(12345), kTypeDecimal, 2, 0, false},
        {Variant::Integer(5), kTypeString, 3, 0, false},
        {Variant::Integer(70000), kTypeUnsignedInteger, 2, 0, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        auto field = MakeField(c.type, 1, c.length, c.decimals);
        field->join = &none;
        std::vector<uint8_t> record(8, 0x11);
        EXPECT_EQ(VariantToField(c.value, *field, record.data(), 8), c.ok) << "case " << i;
        EXPECT_EQ(record, std::vector<uint8_t>(8, 0x11)) << "case " << i;
    }
}

TEST(Variant, NumbersWithoutDigitsAreNotStoredAsDecimals) {
    // An infinite or undefined real has no packed-decimal digits.
    for (long double x : {std::numeric_limits<long double>::infinity(), -std::numeric_limits<long double>::infinity(),
                          std::numeric_limits<long double>::quiet_NaN(), 1e4000L}) {
        for (uint8_t type : {kTypeDecimal, kTypeCurrency, kTypeInteger}) {
            auto field = MakeField(type, 0, 8, 2);
            std::vector<uint8_t> record(8, 0x22);
            EXPECT_FALSE(VariantToField(Variant::Real(x), *field, record.data(), 8)) << "type " << int(type);
            EXPECT_EQ(record, std::vector<uint8_t>(8, 0x22)) << "type " << int(type);
        }
    }
}

TEST(Variant, DecimalAndCurrencyOutsideTheRecordHaveNoValue) {
    for (uint8_t type : {kTypeDecimal, kTypeCurrency}) {
        auto field = MakeField(type, 4, 8, 2);
        std::vector<uint8_t> record(8, 0);
        Variant v;
        EXPECT_FALSE(FieldToVariant(*field, record.data(), 8, v)) << "type " << int(type);
        std::vector<uint8_t> whole(12, 0);
        EXPECT_TRUE(FieldToVariant(*field, whole.data(), 12, v)) << "type " << int(type);
        EXPECT_EQ(Describe(v), "real:0");
    }
}

TEST(Variant, Text) {
    EXPECT_EQ(VariantToText(Variant::Logical(true), 80, -1), "Y");
    EXPECT_EQ(VariantToText(Variant::Logical(false), 80, -1), "N");
    EXPECT_EQ(VariantToText(Variant::Integer(-42), 80, -1), "-42");
    EXPECT_EQ(VariantToText(Variant::Real(0.1L), 80, -1), "0.1");
    EXPECT_EQ(VariantToText(Variant::Real(0.1L), 10, 2), "0.10 ");
    EXPECT_EQ(VariantToText(Variant::Real(-0.1L), -10, 2), "0.10-");
    EXPECT_EQ(VariantToText(Variant::Real(1.0L / 3), 80, -1), "0.33333333333333");
    EXPECT_EQ(VariantToText(Variant::String("as is "), 2, 3), "as is ");
    DateValue d;
    d.day = 5;
    d.month = 7;
    d.year = 1999;
    EXPECT_EQ(VariantToText(Variant::Date(d), 80, -1), "07/05/1999");
    TimeValue t;
    t.minutes = 30;
    EXPECT_EQ(VariantToText(Variant::Time(t), 80, -1), "12:30:00a");
}

TEST(Variant, DayNumbers) {
    auto date = [](int day, int month, int year) {
        DateValue d;
        d.day = static_cast<uint8_t>(day);
        d.month = static_cast<uint8_t>(month);
        d.year = static_cast<uint16_t>(year);
        return d;
    };
    EXPECT_EQ(DateToDayNumber(date(1, 3, 1980)), 0);
    EXPECT_EQ(DateToDayNumber(date(2, 3, 1980)), 1);
    EXPECT_EQ(DateToDayNumber(date(29, 2, 1980)), -1);
    EXPECT_EQ(DateToDayNumber(date(1, 3, 1981)), 365);
    EXPECT_EQ(DateToDayNumber(date(1, 3, 1979)), -366);  // 1980 is a leap year
    EXPECT_EQ(DateToDayNumber(date(1, 1, 2023)) + 1, DateToDayNumber(date(2, 1, 2023)));
    // Every day from 1900 to 2100 round-trips and follows the previous one.
    int64_t previous = DateToDayNumber(date(31, 12, 1899));
    for (int64_t n = previous + 1; n < previous + 73415; ++n) {
        const DateValue d = DayNumberToDate(n);
        ASSERT_EQ(DateToDayNumber(d), n) << "day " << n;
        ASSERT_GE(d.day, 1);
        ASSERT_LE(d.day, 31);
        ASSERT_GE(d.month, 1);
        ASSERT_LE(d.month, 12);
    }
    const DateValue leap = DayNumberToDate(DateToDayNumber(date(28, 2, 2000)) + 1);
    EXPECT_EQ(leap.day, 29);
    EXPECT_EQ(leap.month, 2);
    const DateValue noLeap = DayNumberToDate(DateToDayNumber(date(28, 2, 1900)) + 1);
    EXPECT_EQ(noLeap.day, 29);  // the day-number calendar counts every fourth year as leap, 1900 too
    EXPECT_EQ(noLeap.month, 2);
    // Far-away day numbers give some date without overflow.
    DayNumberToDate(INT64_MAX);
    DayNumberToDate(INT64_MIN);
}

TEST(Variant, SameAsComparesKindAndSlot) {
    EXPECT_TRUE(Variant::Integer(1).SameAs(Variant::Integer(1)));
    EXPECT_FALSE(Variant::Integer(1).SameAs(Variant::Real(1)));
    EXPECT_FALSE(Variant::String("a").SameAs(Variant::String("A")));
    EXPECT_FALSE(Variant::Real(0.0L).SameAs(Variant::Real(-0.0L)));
}

}  // namespace
