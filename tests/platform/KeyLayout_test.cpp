#include "platform/KeyLayout.h"

#include <gtest/gtest.h>

#include "platform/KeyCodes.h"

// Both directions come from one table: every printable character maps to a
// key that types it back, with or without Shift as reported.
TEST(KeyLayout, CharacterToKeyAndBackAgree) {
    for (int ch = 0x20; ch <= 0x7E; ++ch) {
        int scan = -1;
        bool shifted = false;
        ASSERT_TRUE(CharacterScanCode(ch, scan, shifted)) << ch;
        int plain = ScanCodeCharacter(scan);
        if (!shifted) {
            EXPECT_EQ(ch, plain) << ch;
        } else {
            EXPECT_NE(ch, plain) << ch;
            EXPECT_NE(0, plain) << ch;  // a shifted character comes from a key that types something
        }
    }
}

TEST(KeyLayout, KnownKeys) {
    const struct {
        int ch, scan;
        bool shifted;
    } cases[] = {
        {'x', 45, false}, {'X', 45, true}, {'1', 2, false}, {'!', 2, true}, {' ', 57, false},
        {'*', 9, true},  // the main keyboard's key, not the keypad's (55)
        {'+', 13, true}, {'-', 12, false}, {'~', 41, true}, {'"', 40, true}, {'|', 43, true},
    };
    for (const auto& c : cases) {
        int scan = -1;
        bool shifted = !c.shifted;
        ASSERT_TRUE(CharacterScanCode(c.ch, scan, shifted)) << char(c.ch);
        EXPECT_EQ(c.scan, scan) << char(c.ch);
        EXPECT_EQ(c.shifted, shifted) << char(c.ch);
    }
    EXPECT_EQ(kKeyAltX, kKeyExtendedBase + 45);  // the named Alt codes are the same keys
    int scan = 0;
    bool shifted = false;
    EXPECT_FALSE(CharacterScanCode(0x1F, scan, shifted));
    EXPECT_FALSE(CharacterScanCode(0x7F, scan, shifted));
    EXPECT_FALSE(CharacterScanCode(0x82, scan, shifted));
    EXPECT_EQ('*', ScanCodeCharacter(55));
    EXPECT_EQ('+', ScanCodeCharacter(78));
    EXPECT_EQ(0, ScanCodeCharacter(59));  // F1
    EXPECT_EQ(0, ScanCodeCharacter(79));
    EXPECT_EQ(0, ScanCodeCharacter(-1));
}
