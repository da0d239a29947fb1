// FormatReal: layouts, rounding carries, asterisks and extremes.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "fields/NumberText.h"

namespace {

struct RealCase {
    long double value;
    int bits;
    int width;
    int decimals;
    bool display;
    const char* expected;
};

const RealCase kCases[] = {
    // Fixed layout.
    {3.14159L, 53, 10, 2, true, "3.14 "},
    {-5.5L, 53, 10, 2, true, "5.50-"},
    {-5.5L, 53, 10, 2, false, "-5.50"},
    {9.995, 53, 10, 2, false, "10.00"},          // 9.99499999... carries through the 14-digit rounding
    {9.995f, 24, 11, 2, true, "10.00 "},
    {0.0L, 53, 10, 2, true, "0.00 "},
    {0.0L, 53, 10, 0, false, "0"},
    {0.005, 53, 10, 2, false, "0.01"},
    {0.0096, 53, 10, 2, false, "0.01"},
    {0.0001, 53, 10, 2, false, "0.00"},
    {1234.5L, 53, 10, 0, true, "1235 "},
    {2.5L, 53, 10, 0, false, "3"},               // half away from zero
    {-2.5L, 53, 10, 0, false, "-3"},
    {1e6L, 53, 11, 2, true, "1000000.00 "},
    {999999, 53, 5, 2, true, "*** "},            // does not fit: width less sign place, less one
    {1e300, 53, 20, 2, true, "****************** "},
    {0.1, 53, 10, 2, true, "0.10 "},
    // Rounded once, at the decimal places: never first at the width and again.
    {12.3449L, 64, 6, 2, true, "12.34 "},
    {12.3449L, 64, 5, 2, false, "12.34"},
    {0.12345L, 64, 4, 3, false, "0.123"},
    {99.9949L, 64, 5, 2, false, "99.99"},
    // General layout, plain and exponent forms.
    {3.14159L, 53, 10, -1, false, "3.14159"},
    {0.1, 53, 10, -1, false, "0.1"},
    {0.0L, 53, 10, -1, false, "0"},
    {999999, 53, 5, -1, true, "1e6 "},           // rounding carry at the width, then exponent form
    {999999, 53, 5, -1, false, "1e6"},
    {1e20, 53, 20, -1, false, "1e20"},
    {1e-300, 53, 20, -1, false, "1e-300"},
    {1.5e-7f, 24, 11, -1, false, "0.00000015"},
    {1.5e-10f, 24, 11, -1, false, "1.5e-10"},
    {-1.23456789e-30f, 24, 11, -1, false, "-1.2346e-30"},  // mantissa rounded to fit with the sign
    {9.99999999e99, 53, 6, -1, false, "1e100"},
    {12345678901.0, 53, 11, -1, false, "12345678901"},
    {-12345678901.0, 53, 11, -1, false, "-1.23457e10"},
    {1.0 / 3, 53, 20, -1, false, "0.33333333333333"},              // 14 significant digits
    {2.0L / 3, 64, 25, -1, false, "0.666666666666666667"},        // 18 significant digits
    {123456789012345678.0L, 64, 25, -1, false, "123456789012345678"},
    {1.0f / 3, 24, 11, -1, false, "0.333333"},
    {100, 53, 11, -1, false, "100"},
    {-0.000123, 53, 11, -1, false, "-0.000123"},
    {123.456f, 24, 11, -1, true, "123.456 "},
    // Rounding of laid-out text keeps the integer part's value.
    {12349.6, 53, 5, -1, false, "12350"},
    {199.96, 53, 5, -1, false, "200"},
    {0.99996, 53, 4, -1, false, "1"},
    // Extremes of the extended format.
    {LDBL_MAX, 64, 25, -1, false, "1.18973149535723177e4932"},
    {LDBL_TRUE_MIN, 64, 25, -1, false, "3.6451995318824746e-4951"},
    {FLT_MAX, 24, 11, -1, false, "3.40282e38"},
    {DBL_MAX, 53, 20, -1, false, "1.7976931348623e308"},
    // Not numbers.
    {std::numeric_limits<long double>::infinity(), 64, 10, -1, false, "Inf"},
    {-std::numeric_limits<long double>::infinity(), 64, 10, -1, true, "Inf-"},
    {std::numeric_limits<long double>::quiet_NaN(), 64, 10, 2, false, "NaN"},
};

TEST(FormatReal, Table) {
    for (const RealCase& c : kCases) {
        Estring text = FormatReal(c.value, c.bits, c.width, c.decimals, c.display);
        EXPECT_EQ(text.ToStdString(), c.expected)
            << "value " << static_cast<double>(c.value) << " bits " << c.bits << " width " << c.width
            << " decimals " << c.decimals << (c.display ? " display" : " plain");
    }
}

TEST(FormatReal, NegativeWidthCountsAsItsMagnitude) {
    EXPECT_EQ(FormatReal(3.14159L, 53, -10, 2, true), FormatReal(3.14159L, 53, 10, 2, true));
}

TEST(FormatReal, GeneralFormHasNoTrailingZerosAndAtMostItsDigits) {
    const struct { int bits; int digits; } kPrecisions[] = {{24, 6}, {53, 14}, {64, 18}};
    for (auto precision : kPrecisions) {
        for (long double v : {1.0L / 7, 22.0L / 7, 1e-5L / 3, 12345.678L}) {
            std::string text = FormatReal(v, precision.bits, 40, -1, false).ToStdString();
            int significant = 0;
            bool started = false;
            for (char c : text) {
                if (c >= '1' && c <= '9') started = true;
                if (started && c >= '0' && c <= '9') ++significant;
            }
            EXPECT_LE(significant, precision.digits) << text;
            EXPECT_NE(text.back(), '0') << text;
        }
    }
}

TEST(FormatReal, HugeWidthAndPlacesStayBounded) {
    Estring text = FormatReal(1.5L, 64, 100000, 100, true);
    EXPECT_EQ(text.Length(), 103);
    EXPECT_EQ(text.Left(4).ToStdString(), "1.50");
    EXPECT_LE(FormatReal(1.5L, 64, 100000, 100000, true).Length(), kMaxRealText);
    EXPECT_LE(FormatReal(LDBL_MAX, 64, 100000, 2, false).Length(), kMaxRealText);
    EXPECT_LE(FormatReal(0.0L, 64, 5, 100000, true).Length(), kMaxRealText);
}

TEST(FormatReal, TinyWidthsStillGiveText) {
    for (int width = 0; width <= 3; ++width) {
        EXPECT_FALSE(FormatReal(123456.0L, 53, width, -1, false).IsEmpty()) << width;
        EXPECT_FALSE(FormatReal(0.000123L, 53, width, -1, true).IsEmpty()) << width;
    }
}

TEST(FormatReal, AnyExtendedBitPatternGivesBoundedText) {
    // Unnormals, pseudo-denormals and the like come from damaged records.
    std::mt19937 random(99);
    for (int i = 0; i < 100000; ++i) {
        uint8_t bytes[16] = {};
        for (int k = 0; k < 10; ++k) bytes[k] = static_cast<uint8_t>(random());
        long double value;
        std::memcpy(&value, bytes, sizeof value);
        Estring text = FormatReal(value, 64, 25, (i & 1) ? 2 : -1, (i & 2) != 0);
        ASSERT_FALSE(text.IsEmpty());
        ASSERT_LE(text.Length(), 30);
    }
}

}  // namespace
