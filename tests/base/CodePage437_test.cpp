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

TEST(CodePage437, InvalidUtf8IsKeptByteForByte) {
    // Overlong forms (an overlong "/" above all), surrogates, values past
    // U+10FFFF and bytes that never lead a sequence decode to nothing: their
    // bytes stay as they are instead of turning into another character.
    const char* cases[] = {"\xC0\xAF", "\xC1\xA9", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                           "\xF8\x88\x80\x80", "\xFF", "\x80"};
    for (const char* text : cases) EXPECT_EQ(std::string(text), cp437::FromUtf8(text)) << text;
    // A valid character after a stray byte is still read.
    EXPECT_EQ("\xFF\x82", cp437::FromUtf8("\xFF\xC3\xA9"));
}

TEST(CodePage437, DecodeUtf8Lengths) {
    const struct {
        std::string text;
        int length;
        char32_t c;
    } cases[] = {
        {"a", 1, U'a'},          {"\xC3\xA9", 2, 0xE9},       {"\xE2\x96\x91", 3, 0x2591},
        {"\xF0\x9F\x98\x80", 4, 0x1F600}, {"\xC3", -1, 0},    {"\xE2\x96", -1, 0},
        {"\xC3" "a", 0, 0},      {"\xC0\x80", 0, 0},          {"\xED\xA0\x80", 0, 0},
        {"\xE2" "a\x91", 0, 0},
    };
    for (const auto& c : cases) {
        char32_t decoded = 0;
        EXPECT_EQ(c.length, cp437::DecodeUtf8(c.text, decoded)) << c.text;
        if (c.length > 0) {
            EXPECT_EQ(c.c, decoded) << c.text;
        }
    }
}
