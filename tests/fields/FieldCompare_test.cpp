// CompareField against the numeric order of values built independently, and
// the text rules (bytes, A-Z folded, alternate collating sequence).

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "base/Endian.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "TestSupport.h"

using fieldtest::MakeField;
using fieldtest::ToHex;

namespace {

constexpr int kPairs = 100000;
constexpr uint32_t kSeed = 977;

template <typename T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int SignOf(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

class Compare : public ::testing::Test {
protected:
    uint64_t Bits() { return (static_cast<uint64_t>(random()) << 32) | random(); }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    void Expect(const FieldAttributes& field, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                int expected) {
        int n = static_cast<int>(a.size());
        int got = CompareField(field, a.data(), n, b.data(), n);
        if (SignOf(got) != expected) {
            ADD_FAILURE() << DataTypeName(field.type) << "(" << field.length << ") [" << ToHex(a) << "] vs ["
                          << ToHex(b) << "] gave " << got << ", expected sign " << expected;
            ++failures;
        }
    }

    std::mt19937 random{kSeed};
    int failures = 0;
};

TEST_F(Compare, SignedAndUnsignedIntegers) {
    for (int length : {1, 2, 4, 8}) {
        for (int i = 0; i < kPairs && failures < 5; ++i) {
            uint64_t x = Bits(), y = i % 10 == 0 ? x : Bits();
            std::vector<uint8_t> a(static_cast<size_t>(length)), b(static_cast<size_t>(length));
            le::PutN(a.data(), x, length);
            le::PutN(b.data(), y, length);
            int shift = 64 - 8 * length;
            int64_t sx = static_cast<int64_t>(x << shift) >> shift, sy = static_cast<int64_t>(y << shift) >> shift;
            uint64_t ux = (x << shift) >> shift, uy = (y << shift) >> shift;
            Expect(MakeField(kTypeInteger, length), a, b, Sign(sx, sy));
            Expect(MakeField(kTypeAutoIncrement, length), a, b, Sign(sx, sy));
            Expect(MakeField(kTypeUnsignedInteger, length), a, b, Sign(ux, uy));
        }
    }
}

TEST_F(Compare, CurrencyAsSignedAmounts) {
    FieldAttributes field = MakeField(kTypeCurrency, 8);
    for (int i = 0; i < kPairs && failures < 5; ++i) {
        int64_t x = static_cast<int64_t>(Bits()), y = static_cast<int64_t>(Bits());
        std::vector<uint8_t> a(8), b(8);
        le::PutI64(a.data(), x);
        le::PutI64(b.data(), y);
        Expect(field, a, b, Sign(x, y));
    }
}

TEST_F(Compare, Floats) {
    for (int i = 0; i < kPairs && failures < 5; ++i) {
        float fx, fy;
        double dx, dy;
        uint32_t bx = static_cast<uint32_t>(Bits()), by = static_cast<uint32_t>(Bits());
        std::memcpy(&fx, &bx, 4);
        std::memcpy(&fy, &by, 4);
        if (std::isnan(fx) || std::isnan(fy)) continue;
        dx = std::ldexp(static_cast<double>(random()), Between(-60, 60)) * (i & 1 ? -1 : 1);
        dy = i % 7 == 0 ? dx : std::ldexp(static_cast<double>(random()), Between(-60, 60)) * (i & 2 ? -1 : 1);
        std::vector<uint8_t> a4(4), b4(4), a8(8), b8(8), a10(10), b10(10);
        std::memcpy(a4.data(), &fx, 4);
        std::memcpy(b4.data(), &fy, 4);
        std::memcpy(a8.data(), &dx, 8);
        std::memcpy(b8.data(), &dy, 8);
        long double lx = static_cast<long double>(dx) * 3, ly = static_cast<long double>(dy) * 3;
        std::memcpy(a10.data(), &lx, 10);
        std::memcpy(b10.data(), &ly, 10);
        Expect(MakeField(kTypeFloat, 4), a4, b4, Sign(fx, fy));
        Expect(MakeField(kTypeFloat, 8), a8, b8, Sign(dx, dy));
        Expect(MakeField(kTypeFloat, 10), a10, b10, Sign(lx, ly));
    }
}

TEST_F(Compare, BFloatsOfExactValues) {
    for (int i = 0; i < kPairs && failures < 5; ++i) {
        // Single-precision values lie exactly on MBF singles; 52-bit ones on MBF doubles.
        float x = std::ldexp(static_cast<float>(random() >> 8), Between(-100, 100)) * (i & 1 ? -1 : 1);
        float y = i % 9 == 0 ? x : std::ldexp(static_cast<float>(random() >> 8), Between(-100, 100)) * (i & 2 ? -1 : 1);
        std::vector<uint8_t> a4(4), b4(4), a8(8), b8(8);
        DoubleToMbfSingle(x, a4.data());
        DoubleToMbfSingle(y, b4.data());
        double dx = x + std::ldexp(static_cast<double>(x), -40), dy = y + std::ldexp(static_cast<double>(y), -40);
        DoubleToMbfDouble(dx, a8.data());
        DoubleToMbfDouble(dy, b8.data());
        Expect(MakeField(kTypeBFloat, 4), a4, b4, Sign(x, y));
        Expect(MakeField(kTypeBFloat, 8), a8, b8, Sign(dx, dy));
    }
}

TEST_F(Compare, PackedDecimals) {
    for (int i = 0; i < kPairs && failures < 5; ++i) {
        int length = Between(1, 9);  // up to 17 digits: exact in 64 bits
        int digits = 2 * length - 1;
        int64_t limit = 1;
        for (int k = 0; k < digits; ++k) limit *= 10;
        int64_t values[2];
        std::vector<uint8_t> bytes[2];
        for (int side = 0; side < 2; ++side) {
            int64_t magnitude = static_cast<int64_t>(Bits() % static_cast<uint64_t>(limit));
            if (i % 3 == 0) magnitude %= 100;
            bool negative = random() & 1;
            values[side] = negative ? -magnitude : magnitude;
            bytes[side].assign(static_cast<size_t>(length), 0);
            int64_t rest = magnitude;
            for (int k = digits - 1; k >= 0; --k, rest /= 10) {
                uint8_t digit = static_cast<uint8_t>(rest % 10);
                bytes[side][k / 2] |= (k % 2 == 0) ? static_cast<uint8_t>(digit << 4) : digit;
            }
            bytes[side][length - 1] |= negative ? 0x0D : 0x0F;
        }
        if (i % 11 == 0) {
            values[1] = values[0];
            bytes[1] = bytes[0];
        }
        FieldAttributes field = MakeField(kTypeDecimal, length, Between(0, digits));
        Expect(field, bytes[0], bytes[1], Sign(values[0], values[1]));
    }
    // Minus zero equals zero.
    Expect(MakeField(kTypeDecimal, 2, 1), {0x00, 0x0D}, {0x00, 0x0F}, 0);
}

TEST_F(Compare, DatesAndTimesByTheirParts) {
    FieldAttributes date = MakeField(kTypeDate, 4);
    Expect(date, {31, 12, 0xE6, 0x07}, {1, 1, 0xE7, 0x07}, -1);  // year decides first
    Expect(date, {1, 2, 0xE7, 0x07}, {31, 1, 0xE7, 0x07}, 1);
    FieldAttributes time = MakeField(kTypeTime, 4);
    Expect(time, {99, 59, 59, 11}, {0, 0, 0, 12}, -1);
    Expect(time, {1, 0, 0, 12}, {0, 0, 0, 12}, 1);
}

TEST_F(Compare, LogicalAndOthers) {
    Expect(MakeField(kTypeLogical, 1), {0x00}, {0x01}, -1);
    Expect(MakeField(kTypeBit, 1), {0xFF}, {0x01}, -1);  // signed: 0xFF is -1
    Expect(MakeField(kTypeMoney, 2), {0x00, 0x01}, {0x05, 0x01}, 0);
    Expect(MakeField(kTypeInteger, 3), {0x00, 0x00, 0x01}, {0x05, 0x00, 0x00}, 0);
}

TEST_F(Compare, TextRules) {
    const struct { uint8_t type; uint16_t flags; const char* a; const char* b; int sign; } kCases[] = {
        {kTypeString, 0, "abc", "abd", -1},   {kTypeString, 0, "ABC", "abc", -1},
        {kTypeString, 0x400, "ABC", "abc", 0}, {kTypeString, 0x400, "abc", "ABD", -1},
        {kTypeString, 0, "ab", "ab ", 0},     // trailing blanks are not part of the text
        {kTypeString, 0, "ab", "abc", -1},    {kTypeZString, 0, "b", "a", 1},
        {kTypeLString, 0x400, "\x03XYZ", "\x03xyy", 1}, {kTypeNote, 0, "note1", "note2", -1},
        {kTypeString, 0, "\xE9", "z", 1},     // bytes compare unsigned
    };
    for (const auto& c : kCases) {
        FieldAttributes field = MakeField(c.type, 6);
        field.flags = c.flags;
        std::vector<uint8_t> a(6, c.type == kTypeString ? ' ' : 0), b = a;
        std::memcpy(a.data(), c.a, std::strlen(c.a));
        std::memcpy(b.data(), c.b, std::strlen(c.b));
        Expect(field, a, b, c.sign);
    }
}

TEST_F(Compare, TextDifferenceOfFirstDifferingBytes) {
    FieldAttributes field = MakeField(kTypeString, 4);
    std::vector<uint8_t> a = {'a', 'c', ' ', ' '}, b = {'a', 'a', ' ', ' '};
    EXPECT_EQ(CompareField(field, a.data(), 4, b.data(), 4), 2);
    std::vector<uint8_t> c = {'a', ' ', ' ', ' '};
    EXPECT_EQ(CompareField(field, c.data(), 4, a.data(), 4), -'c');
}

TEST_F(Compare, AlternateCollatingSequenceOfTheOwnerList) {
    FieldList list;
    FieldAttributes* field = list.Add(std::make_unique<FieldAttributes>(MakeField(kTypeString, 3)));
    field->flags = kFieldFlagAlternateCollation;
    uint8_t reverse[256];
    for (int i = 0; i < 256; ++i) reverse[i] = static_cast<uint8_t>(i == 0 ? 0 : 256 - i);
    std::vector<uint8_t> a = {'a', 'b', 'c'}, b = {'a', 'b', 'd'};
    // Without a sequence in the list the bytes decide.
    EXPECT_LT(CompareField(*field, a.data(), 3, b.data(), 3), 0);
    list.SetAlternateCollatingSequence(reverse);
    EXPECT_GT(CompareField(*field, a.data(), 3, b.data(), 3), 0);
    // Random texts: the order is that of the mapped bytes.
    for (int i = 0; i < 1000; ++i) {
        std::vector<uint8_t> x(3), y(3);
        for (int k = 0; k < 3; ++k) {
            x[k] = static_cast<uint8_t>(Between('A', 'F'));
            y[k] = static_cast<uint8_t>(Between('A', 'F'));
        }
        std::vector<uint8_t> mx(3), my(3);
        for (int k = 0; k < 3; ++k) {
            mx[k] = reverse[x[k]];
            my[k] = reverse[y[k]];
        }
        Expect(*field, x, y, Sign(mx, my));
    }
}

}  // namespace
