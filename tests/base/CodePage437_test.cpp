#include "base/CodePage437.h"

#include <gtest/gtest.h>

TEST(CodePage437, EveryByteRoundTripsThroughUnicode) {
    for (int b = 1; b < 256; ++b) {
        char32_t c = cp437::ToUnicode(static_cast<uint8_t>(b));
        EXPECT_EQ(b, cp437::FromUnicode(c)) << "byte " << b;
    }
}

TEST(CodePage437, Utf8BothWays) {
    // e acute is 130, the light shade 176, the double frame corner 201.
    std::string bytes = "caf\x82 \xB0\xC9";
    std::string utf8 = cp437::ToUtf8(bytes);
    EXPECT_EQ("caf\xC3\xA9 \xE2\x96\x91\xE2\x95\x94", utf8);
    EXPECT_EQ(bytes, cp437::FromUtf8(utf8));
    // A character the code page lacks becomes '?'; a stray byte is kept.
    EXPECT_EQ("?", cp437::FromUtf8("\xE2\x82\xAC"));  // euro sign
    EXPECT_EQ("a\xFF", cp437::FromUtf8("a\xFF"));
    EXPECT_EQ("\xC3", cp437::FromUtf8("\xC3"));  // truncated sequence
}
