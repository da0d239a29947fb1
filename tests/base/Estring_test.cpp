#include "base/Estring.h"

#include <gtest/gtest.h>

#include <string>

TEST(Estring, InlineCapacityHoldsTwentyOneCharacters) {
    Estring s(std::string(21, 'x').c_str());
    EXPECT_FALSE(s.IsOnHeap());
    s += 'y';
    EXPECT_TRUE(s.IsOnHeap());
    EXPECT_EQ(22, s.Length());
    EXPECT_EQ(std::string(21, 'x') + "y", s.ToStdString());
}

TEST(Estring, GrowthRules) {
    // Replacing text allocates exactly the new length; appending adds a quarter.
    Estring replaced(std::string(40, 'a').c_str());
    EXPECT_EQ(40, replaced.Capacity());
    Estring appended;
    appended += std::string(40, 'a').c_str();
    EXPECT_EQ(50, appended.Capacity());
    appended += "b";  // fits: no reallocation, content kept
    EXPECT_EQ(50, appended.Capacity());
    EXPECT_EQ(41, appended.Length());
}

TEST(Estring, SelfAppendAcrossReallocation) {
    Estring s("0123456789ABCDEFGHIJ");
    s += s;
    s += s;
    EXPECT_EQ(80, s.Length());
    EXPECT_EQ("0123456789ABCDEFGHIJ0123456789ABCDEFGHIJ0123456789ABCDEFGHIJ0123456789ABCDEFGHIJ", s.ToStdString());
}

TEST(Estring, PartsClampTheirArguments) {
    Estring s("Hello");
    EXPECT_EQ("", s.Left(-3).ToStdString());
    EXPECT_EQ("Hello", s.Left(100).ToStdString());
    EXPECT_EQ("llo", s.Right(3).ToStdString());
    EXPECT_EQ("Hello", s.Right(9).ToStdString());
    EXPECT_EQ("llo", s.Mid(2).ToStdString());
    EXPECT_EQ("el", s.Mid(1, 2).ToStdString());
    EXPECT_EQ("ello", s.Mid(1, 99).ToStdString());
    EXPECT_EQ("", s.Mid(9, 2).ToStdString());
    EXPECT_EQ("Hel", s.DropRight(2).ToStdString());
    EXPECT_EQ("", s.DropRight(9).ToStdString());
}

TEST(Estring, PaddingAndTrimming) {
    Estring s("abc");
    EXPECT_EQ("abc..", s.PadOrCut(5, '.').ToStdString());
    EXPECT_EQ("..abc", s.PadOrCutLeft(5, '.').ToStdString());
    EXPECT_EQ("ab", s.PadOrCut(2).ToStdString());
    EXPECT_EQ("ab", s.PadOrCutLeft(2).ToStdString());
    Estring padded(" \t x y \r\n\f\v");
    EXPECT_EQ("x y \r\n\f\v", padded.TrimLeft().ToStdString());
    EXPECT_EQ(" \t x y", padded.TrimRight().ToStdString());
    EXPECT_EQ("x y", padded.Trim().ToStdString());
}

TEST(Estring, ComparisonIgnoresCaseOfAsciiLettersOnly) {
    EXPECT_TRUE(Estring("Order_Date") == Estring("ORDER_date"));
    EXPECT_TRUE(Estring("abc") == "ABC");
    // '_' (0x5F) lies between 'Z' and 'a': folding to lower case puts it before letters.
    EXPECT_TRUE(Estring("A_") < Estring("AB"));
    EXPECT_TRUE(Estring("ab") < Estring("abc"));
    EXPECT_FALSE(Estring("\x82") == Estring("\x90"));  // accented e: case is not folded here
    EXPECT_TRUE(Estring("b") > "A");
}

TEST(Estring, SearchAndZeroBytes) {
    Estring s("a,b,c");
    EXPECT_EQ(1, s.FindChar(','));
    EXPECT_EQ(3, s.FindCharFromRight(','));
    EXPECT_EQ(-1, s.FindChar('x'));
    Estring withZero("a\0b", 3);
    EXPECT_EQ(3, withZero.Length());
    EXPECT_EQ(1, withZero.FindChar('\0'));
}

TEST(Estring, NumbersAndCase) {
    EXPECT_EQ(-42, Estring("  -42abc").ToInt());
    EXPECT_EQ(0, Estring("x1").ToInt());
    EXPECT_EQ("-FF", Estring::FromInt(-255, 16).ToStdString());
    EXPECT_EQ("-9223372036854775808", Estring::FromInt(INT64_MIN).ToStdString());
    EXPECT_EQ("1010", Estring::FromInt(10, 2).ToStdString());
    EXPECT_EQ("x=007", Estring::Format("x=%03d", 7).ToStdString());
    EXPECT_EQ("\x90T\x80", Estring("\x82t\x87").ToUpper().ToStdString());
    EXPECT_EQ("\x82t\x87", Estring("\x90T\x80").ToLower().ToStdString());
}

TEST(Estring, CopiesAndMovesAreIndependent) {
    Estring longText("a text that certainly needs a heap block");
    Estring copy(longText);
    copy[0] = 'A';
    EXPECT_EQ('a', longText[0]);
    Estring moved(std::move(copy));
    EXPECT_EQ('A', moved[0]);
    Estring shortText("short");
    Estring movedShort(std::move(shortText));
    EXPECT_EQ("short", movedShort.ToStdString());
    moved = movedShort;
    EXPECT_EQ("short", moved.ToStdString());
}

TEST(Estring, NullTextCountsAsEmpty) {
    const char* none = nullptr;
    EXPECT_TRUE(Estring() == none);
    EXPECT_TRUE(Estring("a") > none);
    Estring s(none);
    EXPECT_EQ(0, s.Length());
    s += none;
    EXPECT_EQ(0, s.Length());
}
