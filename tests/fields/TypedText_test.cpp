// What the editors let through to the codec: a typed date or time is taken
// only when the lenient reader would store exactly what was typed.

#include "fields/TypedText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "fields/FieldCodec.h"
#include "fields/FieldTypes.h"
#include "fields/NumberText.h"

namespace {

using fieldtest::MakeField;
using fieldtest::ToHex;

// The "C" locale's date order ("mdy/") for the texts below.
class TypedTextTest : public ::testing::Test {
protected:
    TypedTextTest() {
        c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        previous = uselocale(c);
    }
    ~TypedTextTest() override {
        uselocale(previous);
        freelocale(c);
    }
    locale_t c;
    locale_t previous;
};

struct Case {
    const char* text;
    bool accepted;
};

// A refused text leaves the record as it was; an accepted one is stored as
// the codec stores it.
void CheckStore(const FieldAttributes& field, const Case& c) {
    const std::vector<uint8_t> before = {0x11, 0x22, 0x33, 0x44};
    std::vector<uint8_t> record = before;
    EXPECT_EQ(c.accepted, StoreTypedText(field, record.data(), 4, c.text));
    std::vector<uint8_t> expected = before;
    if (c.accepted) {
        ASSERT_TRUE(FieldFromText(field, expected.data(), 4, c.text));
    }
    EXPECT_EQ(ToHex(expected), ToHex(record));
}

TEST_F(TypedTextTest, DatesWhoseNumbersDoNotFitTheirBytesAreRefused) {
    const Case cases[] = {
        // Too large for the day or month byte, or the 16-bit year: the reader
        // would cut them to day 1, month 1, year 1.
        {"1/257/2020", false},
        {"257/1/2020", false},
        {"1/1/65537", false},
        {"1/1/99999999999", false},
        {"13/1/2020", false},
        {"2/30/2023", false},
        // An empty number would read as 0 (a missing year as 2000).
        {"1/1/", false},
        {"1//2020", false},
        {"1/1//5", false},
        // Two characters between numbers move the reader off the next one.
        {"1 / 2 / 2020", false},
        {"1/2/2020/4", false},
        {"1x2x2020", false},
        {"1/2", false},
        // What the reader takes whole.
        {"", true},
        {"  ", true},
        // No date is the zero date as shown; a short year 0 reads as 2000,
        // so "0/0/0" would be day 0 of month 0 of 2000.
        {"00/00/0000", true},
        {"0/0/0000", true},
        {"0/0/0", false},
        {"1/31/2020", true},
        {"2/29/2024", true},
        {"12/31/65535", true},
        {"2023-01-31", true},
        {" 1.2.99 ", true},
    };
    const FieldAttributes date = MakeField(kTypeDate, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(c.accepted, TypedTextAcceptable(date, c.text));
        CheckStore(date, c);
    }
}

TEST_F(TypedTextTest, ExactDateReaderFollowsTheOrderAndKeepsTheLenientReaderAsItWas) {
    DateValue date;
    ASSERT_TRUE(TextToDateExactly("31/1/99", "dmy/", date));
    EXPECT_EQ(31, date.day);
    EXPECT_EQ(1, date.month);
    EXPECT_EQ(1999, date.year);
    EXPECT_FALSE(TextToDateExactly("1/257/2020", "dmy/", date));  // month 257
    ASSERT_TRUE(TextToDateExactly("257/1/20", "ymd/", date));  // 257 is a year here
    EXPECT_EQ(257, date.year);
    EXPECT_EQ(20, date.day);
    EXPECT_FALSE(TextToDateExactly("2020/1/257", "ymd/", date));   // day 257
    // Other callers still read every text, cutting what does not fit.
    const DateValue cut = TextToDate("1/257/2020", "mdy/");
    EXPECT_EQ(1, cut.day);
    EXPECT_EQ(1, cut.month);
    EXPECT_EQ(2020, cut.year);
}

TEST_F(TypedTextTest, TimesOutsideTheClockOrNotReadAsTypedAreRefused) {
    const Case cases[] = {
        {"24:00", false},
        {"23:60", false},
        {"23:59:60", false},
        {"23:59:59.100", false},
        {"13:00pm", false},
        {"0:30am", false},
        // The reader finds minutes and seconds after ":" only: these would
        // store 12:00:00, 12:30:00 and 12:00:30.
        {"12.30", false},
        {"12:30.45", false},
        {"12::30", false},
        {"1:2:3:4", false},
        {"12:30 x", false},
        {"", true},
        {"0:00", true},
        {"23:59:59", true},
        {"23:59:59.99", true},
        {"7:05 pm", true},
        {"12:30a", true},
        {"12:00:00PM", true},
        {"7", true},
    };
    const FieldAttributes time = MakeField(kTypeTime, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(c.accepted, TypedTextAcceptable(time, c.text));
        CheckStore(time, c);
    }
}

// Typed hundredths are taken but the field keeps its own: the reader has no
// place for them.
TEST_F(TypedTextTest, TypedHundredthsLeaveTheStoredOnes) {
    const FieldAttributes time = MakeField(kTypeTime, 4);
    uint8_t record[4] = {42, 0, 0, 0};
    ASSERT_TRUE(StoreTypedText(time, record, 4, "23:59:58.99"));
    EXPECT_EQ("2A 3A 3B 17", ToHex(record, 4));
}

}  // namespace
