#include "expr/WildcardMatch.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* pattern;
    const char* text;
    bool match;
};

TEST(WildcardMatch, Table) {
    const Case cases[] = {
        {"a*c", "ABC", true},       {"a*c", "abbbc", true},     {"a*c", "abcd", false},
        {"[a-c]x", "Bx", true},     {"[^a-c]x", "bx", false},   {"[^a-c]x", "dx", true},
        {"{cat,dog}s", "dogs", true}, {"{cat,dog}s", "cats", true}, {"{cat,dog}s", "cows", false},
        {"a?c", "ac", false},       {"a?c", "abc", true},       {"?", "", false},
        {"", "", true},             {"", "a", false},           {"*", "", true},
        {"*", "anything", true},    {"**", "x", true},          {"a**b", "ab", true},
        {"*a", "bbba", true},       {"*a", "bbbab", false},     {"*a*b*c", "xaxbxc", true},
        {"*a*b*c", "xaxcxb", false},
        {"[abc]", "B", true},       {"[abc]", "d", false},      {"[]", "a", false},
        {"[^]", "a", true},         {"[-b]", "a", true},        {"[-b]", "c", false},
        {"[^-b]", "a", false},      {"[y-]", "\xff", true},     {"[y-]", "x", false},
        {"[a-c^b]", "b", false},    {"[a-c^b]", "a", true},     {"[^a-z^m]", "m", true},
        {"[^a-z^m]", "n", false},   {"[A-Z]", "q", true},       {"[a-c", "[a-c", true},
        {"[a-c", "b", false},       {"a]", "a]", true},
        {"{a,}b", "b", true},       {"{a,}b", "ab", true},      {"{,a}", "", true},
        {"{}", "", false},          {"{}x", "x", false},        {"{a", "{a", true},
        {"a}", "a}", true},         {"{a,b}*{c,d}", "axxd", true}, {"{a,b}*{c,d}", "axxe", false},
        {"*{x,y}", "aaay", true},   {"{a*,b}c", "azzc", true},  {"{a,{b,c}}", "c}", true},
        {"ABC", "abc", true},       {"abc", "ABD", false},      {"\xe9", "\xe9", true},
        {"\x82", "\x90", false},    // only A to Z fold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expr::WildcardMatch(c.pattern, c.text), c.match) << "pattern '" << c.pattern << "' text '" << c.text << "'";
    }
}

TEST(WildcardMatch, ManyStarsStayFast) {
    // Backtracking over every star position would take far too long here.
    std::string text(5000, 'a');
    EXPECT_FALSE(expr::WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", text));
    EXPECT_TRUE(expr::WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*a", text));
}

TEST(WildcardMatch, AlternativesWithStarsStayFast) {
    // Each alternative appends the rest of the pattern, so trying every
    // combination again for every start position would never finish here.
    std::string stars;
    for (int i = 0; i < 12; ++i) stars += "*{a,b}";
    const std::string text(200, 'a');
    EXPECT_FALSE(expr::WildcardMatch(stars + "*c", text));
    EXPECT_TRUE(expr::WildcardMatch(stars + "*", text));
    EXPECT_TRUE(expr::WildcardMatch(stars + "*c", text + "c"));
    std::string empties;
    for (int i = 0; i < 60; ++i) empties += "{,}";
    EXPECT_FALSE(expr::WildcardMatch(empties + "x", "y"));
    EXPECT_TRUE(expr::WildcardMatch(empties + "x", "X"));
    EXPECT_TRUE(expr::WildcardMatch("*{a,b}*{a,b}*c", "xaxbxc"));
    EXPECT_FALSE(expr::WildcardMatch("*{a,b}*{a,b}*c", "xaxbx"));
    EXPECT_FALSE(expr::WildcardMatch("*{a,b}*{a,b}*c", "xaxxc"));
    EXPECT_TRUE(expr::WildcardMatch("*{a,b}*{a,b}*c", "bbc"));
}

}  // namespace
