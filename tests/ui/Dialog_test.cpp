#include "ui/Dialog.h"

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/KeyCodes.h"
#include "ui/PushButton.h"
#include "ui/StaticText.h"

namespace {

class DialogTest : public uitest::ScreenTest {};

// A dialog that records what its hooks were asked and can refuse.
class HookedDialog : public Dialog {
public:
    HookedDialog() : Dialog(10, 5, 40, 10, 0x70, 0) {}
    int redirectTo = -1;
    bool refuseLeaving = false;
    int changes = 0;

protected:
    bool FocusChanging(int, int& to) override {
        ++changes;
        if (redirectTo >= 0 && to != redirectTo) to = redirectTo;
        return true;
    }
    bool CanLeaveField() override { return !refuseLeaving; }
};

// Three buttons in one group (codes 1-3), then two groups of one (4, 5).
void AddButtonGroups(Dialog& d) {
    d.AddPushButton(1, 1, 1, 1, "One");
    d.AddPushButton(10, 1, 0, 2, "Two");
    d.AddPushButton(20, 1, 0, 3, "Three");
    d.AddPushButton(1, 3, 2, 4, "Four");
    d.AddPushButton(10, 3, 2, 5, "Five");
}

}  // namespace

TEST_F(DialogTest, FocusMovesByTabShiftTabAndArrowsWithinGroups) {
    struct Case {
        const char* name;
        std::vector<int> keys;
        int expected;  // code of the button focused when Enter came
    };
    const Case cases[] = {
        {"enter at start", {}, 1},
        {"tab to next group", {kKeyTab}, 4},
        {"tab twice", {kKeyTab, kKeyTab}, 5},
        {"tab wraps to first group", {kKeyTab, kKeyTab, kKeyTab}, 1},
        {"shift-tab goes backwards", {kKeyShiftTab}, 5},
        {"right within group", {kKeyRight, kKeyRight}, 3},
        {"right wraps inside group", {kKeyRight, kKeyRight, kKeyRight}, 1},
        {"left wraps inside group", {kKeyLeft}, 3},
        {"down inside group", {kKeyDown}, 2},
        {"arrows never leave a single group", {kKeyTab, kKeyDown, kKeyDown, kKeyUp}, 4},
        {"tab back enters group at its head (tabToHead)", {kKeyRight, kKeyTab, kKeyShiftTab}, 1},
    };
    for (const Case& c : cases) {
        Dialog d(10, 5, 40, 10, 0x70, 0);
        AddButtonGroups(d);
        for (int k : c.keys) keys.PushKey(k);
        keys.PushKey(kKeyEnter);
        EXPECT_EQ(c.expected, d.Run()) << c.name;
        keys.Clear();
    }
}

TEST_F(DialogTest, GroupWithoutTabToHeadIsEnteredAtItsCurrentMember) {
    Dialog d(10, 5, 40, 10, 0x70, 0);
    d.AddPushButton(1, 1, 2, 1, "One");
    d.AddPushButton(10, 1, 0, 2, "Two");
    d.AddPushButton(1, 3, 2, 3, "Three");
    for (int k : {kKeyRight, kKeyTab, kKeyShiftTab, kKeyEnter}) keys.PushKey(k);
    EXPECT_EQ(2, d.Run());
}

TEST_F(DialogTest, EnterGivesFocusedButtonFirstButtonOrThirteen) {
    uint8_t flag = 0;
    struct Case {
        const char* name;
        bool withButtons;
        std::vector<int> keys;
        int expected;
    };
    const Case cases[] = {
        {"enter on the focused second button", true, {kKeyTab, kKeyTab, kKeyEnter}, 800},
        {"enter on the check box gives the first button's code", true, {kKeyEnter}, 700},
        {"right-button release gives the default too", true, {-7}, 700},
        {"no buttons: 13", false, {kKeyEnter}, 13},
        {"no buttons, right release: 13", false, {-7}, 13},
        {"space on a button", true, {kKeyTab, kKeySpace}, 700},
    };
    for (const Case& c : cases) {
        Dialog d(-1, -2, 40, 8, 0x70, 0);
        d.AddCheckBox(1, 1, 1, flag, "Flag");
        if (c.withButtons) {
            d.AddPushButton(1, 3, 1, 700, "A");
            d.AddPushButton(8, 3, 1, 800, "B");
        }
        for (int k : c.keys) {
            if (k == -7)
                keys.PushMouse(kEventRightRelease, 0, 0);
            else
                keys.PushKey(k);
        }
        EXPECT_EQ(c.expected, d.Run()) << c.name;
        keys.Clear();
    }
}

TEST_F(DialogTest, DialogWithoutControlsEndsOnlyWithEscOrTimeOut) {
    {
        Dialog d(-1, -2, 20, 5, 0x70, 0);
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeySpace);
        keys.PushMouse(kEventRightRelease, 0, 0);
        keys.PushMouse(kEventLeftPress, 0, 0);
        keys.PushMouse(kEventLeftRelease, 0, 0);
        keys.PushKey(kKeyEsc);
        keys.PushKey('x');
        EXPECT_EQ(27, d.Run());
        EXPECT_EQ(1, keys.Remaining());
    }
    keys.Clear();
    Dialog d(-1, -2, 20, 5, 0x70, 0);
    d.SetTimeout(50);
    keys.PushKey(kKeyEnter);
    keys.PushTimeout();
    EXPECT_EQ(0, d.Run());
}

TEST_F(DialogTest, PressAndReleaseOutsideAFramedDialogCancels) {
    struct Case {
        const char* name;
        int frame;
        std::vector<std::pair<uint8_t, std::pair<int, int>>> mouse;
        int expected;  // 5 means the script reached the button click at the end
    };
    // The dialog covers columns 10..49, rows 5..14; the button sits at (12, 7) absolute.
    const Case cases[] = {
        {"press and release outside", 0, {{kEventLeftPress, {2, 2}}, {kEventLeftRelease, {3, 2}}}, 27},
        {"press outside, release inside", 0, {{kEventLeftPress, {2, 2}}, {kEventLeftRelease, {20, 10}}}, 5},
        {"press inside, release outside", 0, {{kEventLeftPress, {20, 10}}, {kEventLeftRelease, {2, 2}}}, 5},
        {"drag between press and release still cancels? no: last type was drag", 0,
         {{kEventLeftPress, {2, 2}}, {kEventLeftDrag, {3, 2}}, {kEventLeftRelease, {3, 2}}}, 5},
        {"without a frame nothing cancels", -1, {{kEventLeftPress, {2, 2}}, {kEventLeftRelease, {3, 2}}}, 5},
    };
    for (const Case& c : cases) {
        Dialog d(10, 5, 40, 10, 0x70, c.frame);
        int inside = c.frame < 0 ? 0 : 1;
        d.AddPushButton(2 - inside, 2 - inside, 1, 5, "Go");
        for (auto& m : c.mouse) keys.PushMouse(m.first, m.second.first, m.second.second);
        keys.PushMouse(kEventLeftPress, 13, 7);
        keys.PushMouse(kEventLeftRelease, 13, 7);
        EXPECT_EQ(c.expected, d.Run()) << c.name;
        keys.Clear();
    }
}

TEST_F(DialogTest, HotKeysAndAltHotLetters) {
    uint8_t flag = 0;
    struct Case {
        const char* name;
        int key;
        int expected;
        uint8_t flagAfter;
    };
    const Case cases[] = {
        {"alt letter of the second button", kKeyAltS, 2, 0},
        {"alt letter of the check box toggles it, then Esc", kKeyAltF, 27, 1},
        {"the button's code is its hot key", 'q', 'q', 0},
        {"an upper-case letter finds a lower-case hot key", 'Q', 'q', 0},
        {"alt letter without a control", kKeyAltZ, 27, 0},
    };
    for (const Case& c : cases) {
        flag = 0;
        Dialog d(10, 5, 40, 10, 0x70, 0);
        d.SetHotLetters("fso", 3);
        d.AddCheckBox(1, 1, 1, flag, "Flag");
        d.AddPushButton(1, 3, 1, 2, "Save");
        d.AddPushButton(10, 3, 1, 'q', "Quit");
        keys.PushKey(c.key);
        keys.PushKey(kKeyEsc);
        EXPECT_EQ(c.expected, d.Run()) << c.name;
        EXPECT_EQ(c.flagAfter, flag) << c.name;
        keys.Clear();
    }
}

TEST_F(DialogTest, DisabledControlsAreSkippedAndGreyed) {
    Dialog d(10, 5, 40, 10, 0x70, 0);
    d.SetHotLetters("ab", 2);
    d.AddPushButton(1, 1, 1, 1, "Alpha");
    d.AddPushButton(10, 1, 1, 2, "Beta");
    d.AddPushButton(20, 1, 1, 3, "Gamma");
    d.Disable(1);
    EXPECT_FALSE(d.IsEnabled(1));
    keys.PushKey(kKeyAltB);  // ignored: disabled
    keys.PushKey(2);         // its code as hot key: ignored too
    keys.PushKey(kKeyTab);   // skips Beta
    keys.PushKey(kKeyEnter);
    EXPECT_EQ(3, d.Run());
    // "[ Beta ]" at inside column 10 is greyed entirely, its hot letter too.
    EXPECT_EQ("[ Beta ]", Row(21, 7, 8));
    EXPECT_EQ("dddddddd", Attrs(21, 7, 8, {{0x78, 'd'}}));
    // Alpha shows its hot letter A in 0x71 on the unfocused 0x70 button.
    EXPECT_EQ("nnHnnnnnn", Attrs(12, 7, 9, {{0x70, 'n'}, {0x71, 'H'}}));
}

TEST_F(DialogTest, FocusedButtonColourAndTitle) {
    Dialog d(10, 5, 40, 10, 0x70, 0);
    d.AddText(-1, -1, " Title ");
    d.AddPushButton(1, 1, 1, 1, "OK");
    d.AddPushButton(10, 1, 1, 2, "No");
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyEnter);
    EXPECT_EQ(2, d.Run());
    // Title centred on the top frame line of the 40-wide window.
    EXPECT_EQ(10 + (40 - 7) / 2, FindOnRow(5, " Title "));
    EXPECT_EQ("ffffff", Attrs(21, 7, 6, {{0x30, 'f'}})) << Row(21, 7, 6);
    EXPECT_EQ("[ OK ]", Row(12, 7, 6));
    EXPECT_EQ(0x70, screen.At(12, 7).attr);
}

TEST_F(DialogTest, HeadingsOnTheFrame) {
    Dialog d(10, 5, 40, 10, 0x70, 0);
    d.AddHeading("Top right", 2);
    d.AddHeading("Bottom", 4);
    d.AddHeading("Left", 0);
    keys.PushKey(kKeyEsc);
    d.Run();
    // Inside width 38 from column 11; " Top right " is 11 long -> starts at 11 + 27.
    EXPECT_EQ(38, FindOnRow(5, " Top right "));
    EXPECT_EQ(11, FindOnRow(5, " Left "));
    EXPECT_EQ(11 + (38 - 8) / 2, FindOnRow(14, " Bottom "));
    EXPECT_EQ(0x71, screen.At(39, 5).attr);
}

TEST_F(DialogTest, HooksCanRedirectAndRefuse) {
    {
        HookedDialog d;
        AddButtonGroups(d);
        d.redirectTo = 4;  // every move lands on "Five"
        keys.PushKey(kKeyTab);
        keys.PushKey(kKeyEnter);
        EXPECT_EQ(5, d.Run());
        EXPECT_GT(d.changes, 0);
    }
    keys.Clear();
    {
        HookedDialog d;
        AddButtonGroups(d);
        d.refuseLeaving = true;
        // Forwards is refused; backwards is not asked.
        for (int k : {kKeyTab, kKeyRight, kKeyShiftTab, kKeyEnter}) keys.PushKey(k);
        EXPECT_EQ(5, d.Run());
    }
}

TEST_F(DialogTest, EveryDialogRestoresTheScreen) {
    const std::vector<Cell> before = screen.Cells();
    {
        Dialog d(-1, -3, 50, 12, 0x70, 0);
        AddButtonGroups(d);
        keys.PushKey(kKeyTab);
        keys.PushKey(kKeyEsc);
        EXPECT_EQ(27, d.Run());
        EXPECT_NE(before, screen.Cells());
    }
    EXPECT_EQ(before, screen.Cells());
    EXPECT_EQ(0, screen.CursorShape());
}

TEST_F(DialogTest, RadioButtonsSelectByFocus) {
    int choice = 20;
    Dialog d(10, 5, 40, 10, 0x70, 0);
    d.SetHotLetters("abc", 3);
    d.AddRadioButton(1, 1, 2, choice, 10, "Apples");
    d.AddRadioButton(1, 2, 0, choice, 20, "Bananas");
    d.AddRadioButton(1, 3, 0, choice, 30, "Cherries");
    d.AddPushButton(1, 5, 1, 99, "OK");
    // The focus starts in the group at its current member; Down selects the next.
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyEsc);
    d.Run();
    EXPECT_EQ(30, choice) << "opening keeps Bananas; Down selects Cherries";
    EXPECT_EQ(std::string("( )\n( )\n(\x07)\n"), Rows(12, 7, 3, 3));
    // Tab out to OK and back in: the group is entered at its current member.
    keys.Clear();
    for (int k : {kKeyTab, kKeyTab, kKeyEsc}) keys.PushKey(k);
    d.Run();
    EXPECT_EQ(30, choice);
    // The plain hot letter selects a button while a button has the focus.
    keys.Clear();
    for (int k : {kKeyTab, int('a'), kKeyEsc}) keys.PushKey(k);
    d.Run();
    EXPECT_EQ(10, choice);
}
