#include "ui/StringField.h"

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/Clipboard.h"
#include "ui/Dialog.h"
#include "ui/IntegerField.h"
#include "ui/KeyCodes.h"
#include "ui/PasswordField.h"
#include "ui/TextHistory.h"

namespace {

class StringFieldTest : public uitest::ScreenTest {
protected:
    void Push(const std::vector<int>& script) {
        for (int k : script) keys.PushKey(k);
    }
};

// Characters of a text as a key script.
std::vector<int> Typed(const std::string& text) {
    std::vector<int> out;
    for (unsigned char c : text) out.push_back(c);
    return out;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST_F(StringFieldTest, EditingKeys) {
    struct Case {
        const char* name;
        const char* initial;
        int maxLength;
        int options;
        std::vector<int> script;
        const char* text;
        int pos;
    };
    const int SL = kKeyShiftLeft, SR = kKeyShiftRight;
    const Case cases[] = {
        {"first key replaces the text", "old", 20, 0, Typed("ab"), "ab", 2},
        {"keep-text option appends", "old", 20, kFieldKeepText, Typed("x"), "oldx", 4},
        {"a movement ends replacing", "abc", 20, 0, {kKeyHome, kKeyRight, 'X'}, "aXbc", 2},
        {"backspace at the end", "abc", 20, 0, {kKeyBackspace}, "ab", 2},
        {"backspace at the start does nothing", "abc", 20, 0, {kKeyHome, kKeyBackspace}, "abc", 0},
        {"delete at home", "abc", 20, 0, {kKeyHome, kKeyDelete}, "bc", 0},
        {"delete at the end does nothing", "abc", 20, 0, {kKeyDelete}, "abc", 3},
        {"ctrl-left to the start of the word", "foo bar baz", 20, 0, {kKeyCtrlLeft, 'X'}, "foo bar Xbaz", 9},
        {"ctrl-left skips blanks first", "foo bar  ", 20, 0, {kKeyCtrlLeft, 'X'}, "foo Xbar  ", 5},
        {"ctrl-right to the end of the word", "foo bar baz", 20, 0, {kKeyHome, kKeyCtrlRight, 'X'}, "fooX bar baz", 4},
        {"ctrl-right twice", "foo bar baz", 20, 0, {kKeyHome, kKeyCtrlRight, kKeyCtrlRight, 'X'}, "foo barX baz", 8},
        {"ctrl-backspace deletes a word", "foo bar baz", 20, 0, {kKeyCtrlBackspace}, "foo bar ", 8},
        {"ctrl-delete deletes a word", "foo bar baz", 20, 0, {kKeyHome, kKeyCtrlDelete}, " bar baz", 0},
        {"ctrl-delete inside a word", "foo bar", 20, 0, {kKeyHome, kKeyRight, kKeyCtrlDelete}, "f bar", 1},
        {"accented letters are word characters", "a \x82t\x82 b", 20, 0, {kKeyHome, kKeyRight, kKeyCtrlRight, 'X'},
         "a \x82t\x82X b", 6},
        {"shift-home and delete", "abc", 20, 0, {kKeyShiftHome, kKeyDelete}, "", 0},
        {"typing replaces a selection", "abcd", 20, 0, {SL, SL, 'X'}, "abX", 3},
        {"selection backwards then forwards", "abcd", 20, 0, {kKeyHome, SR, SR, SR, SL, kKeyDelete}, "cd", 0},
        {"a plain move ends the selection", "abcd", 20, 0, {SL, kKeyLeft, kKeyDelete}, "abd", 2},
        {"shift-ctrl-left selects a word", "foo bar", 20, 0, {kKeyShiftCtrlLeft, kKeyDelete}, "foo ", 4},
        {"shift-ctrl-right selects a word", "foo bar", 20, 0, {kKeyHome, kKeyShiftCtrlRight, kKeyDelete}, " bar", 0},
        {"backspace deletes before the cursor, not the selection", "abcd", 20, 0, {SL, SL, kKeyBackspace}, "acd", 1},
        {"ctrl-q makes ctrl-a literal", "ab", 20, 0, {kKeyEnd, kKeyCtrlQ, 1}, "ab\x01", 3},
        {"ctrl-q makes enter literal", "", 20, 0, {kKeyCtrlQ, 13, 'x'}, "\rx", 2},
        {"upper-case option", "", 20, kFieldUpperCase, Typed("ab1\x82z"), "AB1\x82Z", 5},
        {"maximum length stops typing", "", 3, 0, Typed("abcd"), "abc", 3},
        {"inserting in the middle at the maximum", "abc", 3, 0, {kKeyHome, 'X'}, "abc", 0},
        {"right past the end stays", "ab", 20, 0, {kKeyRight, kKeyRight, 'c'}, "abc", 3},
    };
    for (const Case& c : cases) {
        Estring text = c.initial;
        Dialog d(5, 5, 40, 5, 0x70, 0);
        int field = d.AddStringField(1, 1, 1, text, 20, c.maxLength, c.options, kNoHistory);
        Push(c.script + std::vector<int>{kKeyEsc});
        EXPECT_EQ(27, d.Run()) << c.name;
        EXPECT_EQ(std::string(c.text), text.ToStdString()) << c.name;
        InputEvent query{kEventQueryPos, 0, 0, 0};
        EXPECT_EQ(c.pos, d.SendEvent(field, query)) << c.name;
        keys.Clear();
    }
}

TEST_F(StringFieldTest, ClipboardCopyCutPaste) {
    struct Case {
        const char* name;
        const char* initial;
        int maxLength;
        const char* clipboardBefore;
        std::vector<int> script;
        const char* text;
        const char* clipboard;
    };
    const int SR = kKeyShiftRight;
    const Case cases[] = {
        {"copy then paste at the end", "hello", 20, "", {kKeyHome, SR, SR, kKeyCtrlC, kKeyEnd, kKeyCtrlV}, "hellohe", "he"},
        {"ctrl-insert and shift-insert", "hello", 20, "", {kKeyHome, SR, kKeyCtrlInsert, kKeyEnd, kKeyShiftInsert},
         "helloh", "h"},
        {"paste over the selection just copied", "hello", 20, "", {kKeyHome, SR, kKeyCtrlInsert, kKeyShiftInsert},
         "hello", "h"},
        {"cut", "hello", 20, "", {kKeyHome, SR, SR, kKeyCtrlX}, "llo", "he"},
        {"shift-delete cuts", "hello", 20, "", {kKeyHome, SR, kKeyShiftDelete, kKeyEnd, kKeyCtrlV}, "elloh", "h"},
        {"copy without selection keeps the clipboard", "hello", 20, "keep", {kKeyCtrlC}, "hello", "keep"},
        {"paste too long is refused whole", "hello", 6, "xy", {kKeyEnd, kKeyCtrlV}, "hello", "xy"},
        {"paste that just fits", "hello", 7, "xy", {kKeyEnd, kKeyCtrlV}, "helloxy", "xy"},
        {"paste replaces the selection", "hello", 6, "WXYZ", {kKeyHome, SR, SR, SR, kKeyCtrlV}, "WXYZlo", "WXYZ"},
        {"first paste replaces the text", "hello", 20, "new", {kKeyCtrlV}, "new", "new"},
        {"first paste may use the whole length", "hello", 3, "new", {kKeyCtrlV}, "new", "new"},
        {"line breaks become blanks", "", 20, "a\r\nb\nc\td\x01", {kKeyCtrlV}, "a b c d", "a\r\nb\nc\td\x01"},
        {"copy keeps the selection for a cut", "abc", 20, "", {kKeyHome, SR, kKeyCtrlC, kKeyCtrlX}, "bc", "a"},
    };
    for (const Case& c : cases) {
        SetClipboardText(c.clipboardBefore);
        Estring text = c.initial;
        Dialog d(5, 5, 40, 5, 0x70, 0);
        d.AddStringField(1, 1, 1, text, 20, c.maxLength, 0, kNoHistory);
        Push(c.script + std::vector<int>{kKeyEsc});
        d.Run();
        EXPECT_EQ(std::string(c.text), text.ToStdString()) << c.name;
        EXPECT_EQ(std::string(c.clipboard), ClipboardText().ToStdString()) << c.name;
        keys.Clear();
    }
}

TEST_F(StringFieldTest, CopyReachesTheDisplayAndPasswordsNeverDo) {
    SetClipboardText("");
    int calls = screen.ClipboardCalls();
    Estring text = "visible", secret = "hidden";
    Dialog d(5, 5, 40, 5, 0x70, 0);
    d.AddStringField(1, 1, 1, text, 20, 0, kNoHistory);
    d.AddPasswordField(1, 2, 1, secret, 20);
    Push({kKeyShiftHome, kKeyCtrlC, kKeyTab, kKeyShiftHome, kKeyCtrlC, kKeyCtrlX, kKeyEsc});
    d.Run();
    EXPECT_EQ("visible", screen.Clipboard());
    EXPECT_EQ(calls + 1, screen.ClipboardCalls());
    EXPECT_EQ("visible", ClipboardText().ToStdString());
    EXPECT_EQ("hidden", secret.ToStdString());
    // The password shows stars only.
    EXPECT_EQ("******              ", Row(7, 8, 20));
}

TEST_F(StringFieldTest, CopyReachesTheDisplayOfTheDialogsOwnConsole) {
    MemoryDisplay ownScreen(80, 25);
    ScriptedInput ownKeys;
    Console own(ownScreen, ownKeys);
    const int processCalls = screen.ClipboardCalls();
    Estring text = "elsewhere";
    Dialog d(5, 5, 40, 4, 0x70, 0, own);
    d.AddStringField(1, 1, 1, text, 20, 0, kNoHistory);
    for (int k : {kKeyShiftHome, kKeyCtrlC, kKeyEsc}) ownKeys.PushKey(k);
    d.Run();
    EXPECT_EQ("elsewhere", ownScreen.Clipboard());
    EXPECT_EQ(1, ownScreen.ClipboardCalls());
    EXPECT_EQ(processCalls, screen.ClipboardCalls()) << "the process-wide display got the copy";
}

TEST_F(StringFieldTest, TerminalPasteIsOneEvent) {
    Estring text = "abc";
    Dialog d(5, 5, 40, 5, 0x70, 0);
    d.AddStringField(1, 1, 1, text, 20, 10, kFieldKeepText, kNoHistory);
    InputEvent paste{kEventPaste, 0, 0, 0, "x+y\n"};
    keys.PushEvent(paste);
    InputEvent tooLong{kEventPaste, 0, 0, 0, "0123456789"};
    keys.PushEvent(tooLong);
    keys.PushKey(kKeyEsc);
    EXPECT_EQ(27, d.Run());
    EXPECT_EQ("abcx+y ", text.ToStdString());
}

TEST_F(StringFieldTest, AutoAdvanceAndEnterAdvances) {
    {
        Estring a, b;
        Dialog d(5, 5, 40, 5, 0x70, 0);
        d.AddStringField(1, 1, 1, a, 5, 2, kFieldAutoAdvance, kNoHistory);
        d.AddStringField(1, 2, 1, b, 5, 2, kFieldAutoAdvance, kNoHistory);
        Push(Typed("abcd") + std::vector<int>{'x'});
        EXPECT_EQ(13, d.Run()) << "the last full field ends the dialog";
        EXPECT_EQ("ab", a.ToStdString());
        EXPECT_EQ("cd", b.ToStdString());
        EXPECT_EQ(1, keys.Remaining());
    }
    keys.Clear();
    {
        Estring a, b;
        Dialog d(5, 5, 40, 6, 0x70, 0);
        d.SetEnterAdvances(true);
        d.AddStringField(1, 1, 1, a, 5, 0, kNoHistory);
        d.AddStringField(1, 2, 1, b, 5, 0, kNoHistory);
        d.AddPushButton(1, 3, 1, 55, "Go");
        Push(Typed("a") + std::vector<int>{kKeyEnter} + Typed("b") + std::vector<int>{kKeyEnter, kKeyEnter});
        EXPECT_EQ(55, d.Run());
        EXPECT_EQ("a", a.ToStdString());
        EXPECT_EQ("b", b.ToStdString());
    }
    keys.Clear();
    {
        Estring a, b;
        Dialog d(5, 5, 40, 6, 0x70, 0);
        d.SetEnterAdvances(true);
        d.AddStringField(1, 1, 1, a, 5, 0, kNoHistory);
        d.AddStringField(1, 2, 1, b, 5, 0, kNoHistory);
        Push({'1', kKeyEnter, '2', kKeyEnter, 'z'});
        EXPECT_EQ(13, d.Run()) << "Enter in the last field ends the dialog";
        EXPECT_EQ("2", b.ToStdString());
        EXPECT_EQ(1, keys.Remaining());
    }
}

TEST_F(StringFieldTest, ScrollingColoursCursorAndSelection) {
    Estring text = "abcdefgh";
    Dialog d(5, 5, 40, 6, 0x70, 0);
    d.AddStringField(1, 1, 1, text, 5, 20, 0, 3);
    d.AddStringField(1, 2, 1, text, 5, 20, 0, kNoHistory);
    // Origin (6, 6): the first field's cells are (7..11, 7), its arrow at 12.
    Push({kKeyEsc});
    d.Run();
    EXPECT_EQ("defgh\x19", Row(7, 7, 6)) << "cursor at the end scrolls the tail into view";
    EXPECT_EQ(12, screen.CursorX());
    EXPECT_EQ(7, screen.CursorY());
    EXPECT_EQ(20, screen.CursorShape());
    EXPECT_EQ("abcde", Row(7, 8, 5)) << "unfocused fields show their start";
    keys.Clear();
    Push({kKeyHome, kKeyRight, kKeyShiftRight, kKeyShiftRight, kKeyEsc});
    d.Run();
    EXPECT_EQ("abcde", Row(7, 7, 5));
    EXPECT_EQ("fSSff", Attrs(7, 7, 5, {{0x30, 'f'}, {0x03, 'S'}}));
    EXPECT_EQ(10, screen.CursorX());
    d.Disable(1);
    EXPECT_EQ("ddddd", Attrs(7, 8, 5, {{0x78, 'd'}}));
    keys.Clear();
    Push({kKeyEnd, kKeyBackspace, kKeyBackspace, kKeyBackspace, kKeyBackspace, kKeyEsc});
    d.Run();
    EXPECT_EQ("d    ", Row(7, 7, 5)) << "the first shown character stays while the cursor is after it";
    keys.Clear();
    Push({kKeyBackspace, kKeyEsc});
    d.Run();
    EXPECT_EQ("abc  ", Row(7, 7, 5)) << "the cursor on the first shown cell at the end shows the text again";
}

TEST_F(StringFieldTest, MousePlacesSelectsAndControlMessagesMove) {
    Estring text = "abcdef";
    Dialog d(5, 5, 40, 6, 0x70, 0);
    d.AddPushButton(1, 3, 1, 9, "OK");
    int field = d.AddStringField(1, 1, 1, text, 10, 20, 0, kNoHistory);
    // Field cells from (7, 7). Press on 'c', type: inserted there (no replacing).
    keys.PushMouse(kEventLeftPress, 9, 7);
    keys.PushMouse(kEventLeftRelease, 9, 7);
    keys.PushKey('X');
    // Drag from 'a' over two letters, delete them.
    keys.PushMouse(kEventLeftPress, 7, 7);
    keys.PushMouse(kEventLeftDrag, 8, 7);
    keys.PushMouse(kEventLeftRelease, 9, 7);
    keys.PushKey(kKeyDelete);
    // A press far right is clamped to the end.
    keys.PushMouse(kEventLeftPress, 16, 7);
    keys.PushMouse(kEventLeftRelease, 16, 7);
    keys.PushKey('!');
    keys.PushKey(kKeyEsc);
    EXPECT_EQ(27, d.Run());
    EXPECT_EQ("Xcdef!", text.ToStdString());
    InputEvent set{kEventSetPos, 2, 0, 0};
    EXPECT_NE(0, d.SendEvent(field, set));
    InputEvent query{kEventQueryPos, 0, 0, 0};
    EXPECT_EQ(2, d.SendEvent(field, query));
    set.key = 99;
    d.SendEvent(field, set);
    EXPECT_EQ(6, d.SendEvent(field, query)) << "clamped to the length";
}

TEST_F(StringFieldTest, HistoryCommitAndDropDown) {
    TextHistory(7).clear();
    auto runOnce = [&](const char* typed, int closer) {
        Estring text;
        Dialog d(5, 5, 40, 6, 0x70, 0);
        d.AddStringField(1, 1, 1, text, 10, 0, 7);
        Push(Typed(typed) + std::vector<int>{closer});
        return d.Run();
    };
    EXPECT_EQ(13, runOnce("one", kKeyEnter));
    EXPECT_EQ(13, runOnce("two", kKeyEnter));
    EXPECT_EQ(27, runOnce("three", kKeyEsc));
    EXPECT_EQ(13, runOnce("ONE", kKeyEnter));
    EXPECT_EQ(13, runOnce("", kKeyEnter));
    ASSERT_EQ(2u, TextHistory(7).size()) << "Esc records nothing, empty text neither, equal entries move";
    EXPECT_EQ("two", TextHistory(7)[0].ToStdString());
    EXPECT_EQ("ONE", TextHistory(7)[1].ToStdString());

    const std::vector<Cell> before = screen.Cells();
    {
        Estring text = "zz";
        Dialog d(5, 5, 40, 6, 0x70, 0);
        d.AddStringField(1, 1, 1, text, 10, 0, 7);
        // Drop-down: the most recent entry is current; Up takes the older one.
        Push({kKeyAltDown, kKeyUp, kKeyEnter, '!', kKeyEsc});
        d.Run();
        EXPECT_EQ("two!", text.ToStdString()) << "the choice replaces the text and is edited, not replaced";
        keys.Clear();
        Push({kKeyAltDown, kKeyEsc, kKeyEsc});
        d.Run();
        EXPECT_EQ("two!", text.ToStdString()) << "Esc in the drop-down changes nothing";
        keys.Clear();
        // The arrow cell after the field opens it too; a double click chooses.
        keys.PushMouse(kEventLeftPress, 17, 7);
        keys.PushMouse(kEventDoubleClick, 8, 9);  // drop-down rows start at y 9, x 7
        keys.PushKey(kKeyEsc);
        d.Run();
        EXPECT_EQ("two", text.ToStdString());
    }
    EXPECT_EQ(before, screen.Cells());
}

TEST_F(StringFieldTest, BufferFieldWritesThroughWithinItsLength) {
    char buffer[6] = "abc";
    Dialog d(5, 5, 40, 5, 0x70, 0);
    d.AddStringField(1, 1, 1, buffer, 8, 5, kFieldKeepText, kNoHistory);
    Push(Typed("defgh") + std::vector<int>{kKeyEsc});
    d.Run();
    EXPECT_STREQ("abcde", buffer);
}

TEST_F(StringFieldTest, IntegerFieldAcceptsOnlyNumbers) {
    struct Case {
        const char* name;
        int initial;
        bool blankWhenZero;
        std::vector<int> script;
        int value;
        const char* shown;  // after the dialog moved the focus away
    };
    const Case cases[] = {
        {"typing replaces", 42, false, Typed("17"), 17, "17   "},
        {"minus at the start", 5, false, Typed("-12"), -12, "-12  "},
        {"minus elsewhere is ignored", 0, false, Typed("1-2"), 12, "12   "},
        {"letters are ignored", 0, false, Typed("4a2"), 42, "42   "},
        {"digits fill the field", 0, false, Typed("1234567"), 12345, "12345"},
        {"minus before an existing minus is refused", -3, false, {kKeyHome, '-', '4'}, -3, "-3   "},
        {"digit before the minus is refused", -3, false, {kKeyHome, '4'}, -3, "-3   "},
        {"blank when zero", 0, true, {kKeyTab}, 0, "     "},
        {"zero shown", 0, false, {kKeyTab}, 0, "0    "},
        {"a lone minus is zero", 9, false, Typed("-"), 0, "0    "},
        {"backspace recomputes", 123, false, {kKeyEnd, kKeyBackspace}, 12, "12   "},
    };
    for (const Case& c : cases) {
        int value = c.initial;
        Dialog d(5, 5, 40, 5, 0x70, 0);
        d.AddIntegerField(1, 1, 1, value, 5, c.blankWhenZero, kNoHistory);
        d.AddPushButton(1, 2, 1, 1, "OK");
        Push(c.script + std::vector<int>{kKeyTab, kKeyEsc});
        d.Run();
        EXPECT_EQ(c.value, value) << c.name;
        EXPECT_EQ(std::string(c.shown), Row(7, 7, 5)) << c.name;
        keys.Clear();
    }
}

TEST_F(StringFieldTest, IntegerFieldFollowsItsVariableAndRefusesPastedWords) {
    int value = 3;
    Dialog d(5, 5, 40, 5, 0x70, 0);
    int field = d.AddIntegerField(1, 1, 1, value, 6, false, kNoHistory);
    d.AddPushButton(1, 2, 1, 1, "OK");
    value = 250;
    d.Redraw(field);
    EXPECT_EQ("250   ", Row(7, 7, 6));
    SetClipboardText("12x");
    Push({kKeyCtrlV, kKeyEsc});
    d.Run();
    EXPECT_EQ(250, value);
    keys.Clear();
    SetClipboardText("-77");
    Push({kKeyCtrlV, kKeyEsc});
    d.Run();
    EXPECT_EQ(-77, value);
}
