// Fuzzed round trips (fixed seed): bytes in the form FieldFromText writes
// give a plain text that stores back the same bytes; floats, whose plain text
// is limited to 6, 14 or 18 digits, give the same text again.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <locale.h>
#include <random>

#include "fields/FieldCodec.h"
#include "TestSupport.h"

using fieldtest::MakeField;
using fieldtest::ToHex;

namespace {

constexpr int kRounds = 100000;
constexpr uint32_t kSeed = 20240605;

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        previous = uselocale(cLocale);
    }
    void TearDown() override {
        uselocale(previous);
        freelocale(cLocale);
    }

    uint8_t Byte() { return static_cast<uint8_t>(random() & 0xFF); }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    // Stores the plain text back into a copy of the record; the bytes must not change.
    void ExpectBytesRoundTrip(const FieldAttributes& field, const std::vector<uint8_t>& record) {
        Estring text = FieldToText(field, record.data(), static_cast<int>(record.size()), false);
        std::vector<uint8_t> copy = record;
        bool stored = FieldFromText(field, copy.data(), static_cast<int>(copy.size()), text.View());
        if (!stored || copy != record) {
            ADD_FAILURE() << DataTypeName(field.type) << "(" << field.length << ") decimals " << field.decimals
                          << " bytes [" << ToHex(record) << "] text [" << text.ToStdString() << "] stored "
                          << stored << " as [" << ToHex(copy) << "]";
            ++failures;
        }
    }

    // Formats, stores the text, formats again: the texts must agree.
    void ExpectTextRoundTrip(const FieldAttributes& field, const std::vector<uint8_t>& record) {
        int n = static_cast<int>(record.size());
        Estring text = FieldToText(field, record.data(), n, false);
        std::vector<uint8_t> copy = record;
        ASSERT_TRUE(FieldFromText(field, copy.data(), n, text.View()));
        Estring again = FieldToText(field, copy.data(), n, false);
        if (again != text) {
            ADD_FAILURE() << DataTypeName(field.type) << "(" << field.length << ") bytes [" << ToHex(record)
                          << "] text [" << text.ToStdString() << "] again [" << again.ToStdString() << "]";
            ++failures;
        }
    }

    std::mt19937 random{kSeed};
    int failures = 0;
    locale_t cLocale{};
    locale_t previous{};
};

#define STOP_AFTER_FEW_FAILURES() \
    if (failures > 5) return

TEST_F(RoundTrip, Integers) {
    const uint8_t kTypes[] = {kTypeInteger, kTypeAutoIncrement, kTypeUnsignedInteger};
    for (uint8_t type : kTypes) {
        for (int length : {1, 2, 4, 8}) {
            FieldAttributes field = MakeField(type, length, 2, DefaultDisplayWidth(MakeField(type, length)));
            for (int i = 0; i < kRounds; ++i) {
                std::vector<uint8_t> record(static_cast<size_t>(length));
                for (auto& b : record) b = Byte();
                ExpectBytesRoundTrip(field, record);
                STOP_AFTER_FEW_FAILURES();
            }
        }
    }
}

TEST_F(RoundTrip, Currency) {
    FieldAttributes field = MakeField(kTypeCurrency, 8, 2, 21);
    for (int i = 0; i < kRounds; ++i) {
        std::vector<uint8_t> record(8);
        for (auto& b : record) b = Byte();
        if (i % 4 == 0) std::memset(record.data() + Between(1, 7), 0, 1);  // small values too
        ExpectBytesRoundTrip(field, record);
        STOP_AFTER_FEW_FAILURES();
    }
}

TEST_F(RoundTrip, DatesAndTimes) {
    FieldAttributes date = MakeField(kTypeDate, 4, 2, 10);
    FieldAttributes time = MakeField(kTypeTime, 4, 2, 9);
    for (int i = 0; i < kRounds; ++i) {
        std::vector<uint8_t> record(4);
        for (auto& b : record) b = Byte();
        ExpectBytesRoundTrip(date, record);
        record[3] = static_cast<uint8_t>(Between(0, 23));  // hours of a clock
        ExpectBytesRoundTrip(time, record);
        STOP_AFTER_FEW_FAILURES();
    }
}

TEST_F(RoundTrip, LogicalAndBit) {
    for (uint8_t type : {kTypeLogical, kTypeBit}) {
        for (int i = 0; i < kRounds; ++i) {
            int length = Between(1, 4);
            std::vector<uint8_t> record(static_cast<size_t>(length));
            for (auto& b : record) b = Byte();
            record[0] = static_cast<uint8_t>(i & 1);
            ExpectBytesRoundTrip(MakeField(type, length), record);
            STOP_AFTER_FEW_FAILURES();
        }
    }
}

TEST_F(RoundTrip, PackedDecimals) {
    for (int i = 0; i < kRounds; ++i) {
        int length = Between(1, 10);
        int decimals = Between(0, 2 * length - 1);
        std::vector<uint8_t> record(static_cast<size_t>(length));
        for (int k = 0; k < 2 * length - 1; ++k) {
            // Leading zeros often, so that short values are covered.
            uint8_t digit = (k < Between(0, 2 * length)) ? 0 : static_cast<uint8_t>(Between(0, 9));
            record[k / 2] |= (k % 2 == 0) ? static_cast<uint8_t>(digit << 4) : digit;
        }
        record[length - 1] |= (i & 1) ? 0x0D : 0x0F;
        ExpectBytesRoundTrip(MakeField(kTypeDecimal, length, decimals, 2 * length + 2), record);
        STOP_AFTER_FEW_FAILURES();
    }
}

TEST_F(RoundTrip, Texts) {
    const uint8_t kTypes[] = {kTypeString, kTypeZString, kTypeNote, kTypeLString};
    for (uint8_t type : kTypes) {
        for (int i = 0; i < kRounds; ++i) {
            int length = Between(1, 40);
            int room = type == kTypeString ? length : length - 1;
            int n = Between(0, room);
            std::string text;
            for (int k = 0; k < n; ++k) text += static_cast<char>(Between(1, 255));
            // String texts are trimmed on reading, so the written text ends in a visible byte.
            if (type == kTypeString)
                while (!text.empty() && std::strchr(" \t\r\n\f\v", text.back()) != nullptr) text.pop_back();
            std::vector<uint8_t> record(static_cast<size_t>(length), 0xEE);
            FieldAttributes field = MakeField(type, length);
            ASSERT_TRUE(FieldFromText(field, record.data(), length, text));
            ExpectBytesRoundTrip(field, record);
            STOP_AFTER_FEW_FAILURES();
        }
    }
}

TEST_F(RoundTrip, Floats) {
    const struct { uint8_t type; int length; } kFormats[] = {
        {kTypeFloat, 4}, {kTypeFloat, 8}, {kTypeFloat, 10}, {kTypeBFloat, 4}, {kTypeBFloat, 8}};
    for (auto format : kFormats) {
        FieldAttributes field = MakeField(format.type, format.length, 2,
                                          DefaultDisplayWidth(MakeField(format.type, format.length)));
        int tested = 0;
        while (tested < kRounds) {
            std::vector<uint8_t> record(static_cast<size_t>(format.length));
            for (auto& b : record) b = Byte();
            if (format.type == kTypeFloat && format.length == 10) record[7] |= 0x80;  // integer bit of normals
            if (format.type == kTypeFloat) {
                // Infinities and NaNs have no text that stores them back.
                Estring text = FieldToText(field, record.data(), format.length, false);
                if (text.Find("Inf") >= 0 || text.Find("NaN") >= 0) continue;
            }
            ExpectTextRoundTrip(field, record);
            ++tested;
            STOP_AFTER_FEW_FAILURES();
        }
    }
}

TEST_F(RoundTrip, FloatsInFixedLayoutStoreTheirRoundedValue) {
    // Display-form texts of moderate values read back to the value rounded to the places.
    FieldAttributes field = MakeField(kTypeFloat, 8, 3, 20);
    for (int i = 0; i < kRounds; ++i) {
        double value = std::ldexp(static_cast<double>(random()), -Between(0, 40)) * ((i & 1) ? -1 : 1);
        std::vector<uint8_t> record(8);
        std::memcpy(record.data(), &value, 8);
        Estring text = FieldToText(field, record.data(), 8, true);
        std::vector<uint8_t> copy(8);
        ASSERT_TRUE(FieldFromText(field, copy.data(), 8, text.View()));
        double stored;
        std::memcpy(&stored, copy.data(), 8);
        ASSERT_NEAR(stored, value, 0.0005 + std::fabs(value) * 1e-13) << text.ToStdString();
    }
}

}  // namespace
