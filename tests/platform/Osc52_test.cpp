#include "platform/Osc52.h"

#include <gtest/gtest.h>

TEST(Osc52, Base64OfEveryPaddingLength) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},   {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
        {std::string("\xff\xfe\x00", 3), "//4A"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, Base64(c.in)) << c.in;
}

TEST(Osc52, SequenceAndSizeLimit) {
    EXPECT_EQ("\033]52;c;Y2Fmw6k=\a", Osc52Sequence("caf\xC3\xA9"));
    EXPECT_EQ("", Osc52Sequence(std::string(kMaxOsc52Text + 1, 'x')));
    EXPECT_FALSE(Osc52Sequence(std::string(kMaxOsc52Text, 'x')).empty());
}
