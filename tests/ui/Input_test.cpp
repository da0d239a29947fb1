#include "ui/Input.h"

#include <gtest/gtest.h>

#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "ui/KeyCodes.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    MemoryDisplay screen{80, 25};
    ScriptedInput keys;
    ScopedConsole console{screen, keys};
};

}  // namespace

TEST_F(InputTest, ReadsInOrderAndFlushesFirst) {
    keys.PushKey(kKeyF1);
    keys.PushText("a\x82");
    keys.PushMouse(kEventLeftPress, 3, 4);
    InputEvent event{};
    ReadInput(event, -1);
    EXPECT_EQ(1, screen.Flushes());
    EXPECT_EQ(kEventKey, event.type);
    EXPECT_EQ(1059, event.key);
    WaitInput(event);
    EXPECT_EQ('a', event.key);
    WaitInput(event);
    EXPECT_EQ(0x82, event.key);
    WaitInput(event);
    EXPECT_EQ(kEventLeftPress, event.type);
    EXPECT_EQ(-1, event.key);
    EXPECT_EQ(3, event.x);
    EXPECT_EQ(4, event.y);
    EXPECT_EQ(4, screen.Flushes());
}

TEST_F(InputTest, DryScriptTimesOutOrAnswersEsc) {
    InputEvent event{};
    ReadInput(event, 0);
    EXPECT_EQ(kEventNone, event.type);
    ReadInput(event, 100);
    EXPECT_EQ(kEventNone, event.type);
    WaitInput(event);
    EXPECT_EQ(kEventKey, event.type);
    EXPECT_EQ(kKeyEsc, event.key);
    EXPECT_EQ(3, keys.DryReads());
}

TEST_F(InputTest, PendingAndEscapePressed) {
    EXPECT_FALSE(InputPending());
    EXPECT_FALSE(EscapePressed());
    keys.PushKey('x');
    keys.PushKey(kKeyEsc);
    keys.PushKey('y');
    EXPECT_TRUE(InputPending());
    EXPECT_EQ(3, keys.Remaining());  // looking consumes nothing
    EXPECT_FALSE(EscapePressed());   // consumes the x
    EXPECT_TRUE(EscapePressed());    // consumes the Esc
    EXPECT_EQ(1, keys.Remaining());
    InputEvent event{};
    WaitInput(event);
    EXPECT_EQ('y', event.key);
    // A mouse action is a record too: consumed, and not Esc.
    keys.PushMouse(kEventLeftPress, 1, 1);
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(EscapePressed());
    EXPECT_EQ(1, keys.Remaining());
    EXPECT_TRUE(EscapePressed());
    EXPECT_EQ(0, keys.Remaining());
}

TEST_F(InputTest, KeyLetterOfAltCodes) {
    const struct {
        int key;
        int letter;
    } cases[] = {
        {kKeyAltX, 'x'}, {kKeyAltO, 'o'}, {kKeyAltQ, 'q'}, {kKeyAltM, 'm'}, {kKeyAlt1, '1'}, {kKeyAlt0, '0'},
        {kKeyAltMinus, '-'}, {kKeyAltEquals, '='}, {kKeyF1, kKeyF1}, {kKeyDown, kKeyDown}, {2045, 2045},
        {'a', 'a'}, {kKeyEnter, kKeyEnter},
        // Keypad keys without Num Lock: only minus, plus and star type something.
        {1074, '-'}, {1078, '+'}, {1055, '*'}, {1071, 1071}, {1076, 1076}, {1083, 1083}, {1057, ' '},
        {1000, 1000}, {1079 + 1000, 1079 + 1000},
    };
    for (const auto& c : cases) EXPECT_EQ(c.letter, KeyLetter(InputEvent{kEventKey, c.key, 0, 0})) << c.key;
    // Every Alt letter constant names its own letter.
    const int altLetters[26] = {kKeyAltA, kKeyAltB, kKeyAltC, kKeyAltD, kKeyAltE, kKeyAltF, kKeyAltG, kKeyAltH, kKeyAltI,
                                kKeyAltJ, kKeyAltK, kKeyAltL, kKeyAltM, kKeyAltN, kKeyAltO, kKeyAltP, kKeyAltQ, kKeyAltR,
                                kKeyAltS, kKeyAltT, kKeyAltU, kKeyAltV, kKeyAltW, kKeyAltX, kKeyAltY, kKeyAltZ};
    for (int i = 0; i < 26; ++i) EXPECT_EQ('a' + i, KeyLetter(InputEvent{kEventKey, altLetters[i], 0, 0})) << i;
}

TEST(KeyCodes, ValuesUsedAcrossTheProgram) {
    EXPECT_EQ(1059, kKeyF1);
    EXPECT_EQ(2084, kKeyShiftF1);
    EXPECT_EQ(2086, kKeyShiftF3);
    EXPECT_EQ(1068, kKeyF10);
    EXPECT_EQ(1082, kKeyInsert);
    EXPECT_EQ(1045, kKeyAltX);
    EXPECT_EQ(1019, kKeyAltR);
    EXPECT_EQ(1024, kKeyAltO);
    EXPECT_EQ(2071, kKeyShiftHome);
    EXPECT_EQ(2015, kKeyShiftTab);
    EXPECT_EQ(2115, kKeyShiftCtrlLeft);
    EXPECT_EQ(2116, kKeyShiftCtrlRight);
    EXPECT_EQ(1152, kKeyAltUp);
    EXPECT_EQ(1160, kKeyAltDown);
    EXPECT_EQ(1132, kKeyCtrlPageUp);
}
