#include "ui/ListBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "base/EstringStore.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/ListBoxEstring.h"
#include "ui/ListBoxMultiSelect.h"

namespace {

// The dialog of these tests: (10, 5), 40 x 12, framed, so its origin is
// (11, 6); the list box sits at (2, 1) inside it: screen columns 13 to 22,
// rows 7 onwards.
constexpr int kLeft = 10, kTop = 5, kWidth = 40, kHeight = 12;
constexpr int kOriginX = kLeft + 1, kOriginY = kTop + 1;
constexpr int kListX = 2, kListY = 1, kListWidth = 10;
constexpr int kScreenX = kOriginX + kListX, kScreenY = kOriginY + kListY;

// Records the screen each time the loop is about to read an event.
class ProbeDialog : public Dialog {
public:
    explicit ProbeDialog(const MemoryDisplay& display)
        : Dialog(kLeft, kTop, kWidth, kHeight, 0x70, 0), screen(display) {}
    std::vector<std::vector<Cell>> shots;

protected:
    void ReadEvent() override {
        shots.push_back(screen.Cells());
        Dialog::ReadEvent();
    }

private:
    const MemoryDisplay& screen;
};

void Fill(EstringStore& store, const std::vector<const char*>& items) {
    for (const char* item : items) store.Append(item);
}

std::vector<const char*> Numbered(int n) {
    static std::vector<std::string> texts;
    static std::vector<const char*> pointers;
    texts.clear();
    for (int i = 0; i < n; ++i) texts.push_back("Item " + std::to_string(i));
    pointers.clear();
    for (const std::string& text : texts) pointers.push_back(text.c_str());
    return pointers;
}

class ListBoxTest : public uitest::ScreenTest {
protected:
    // The text of list line `line` as last drawn on the screen.
    std::string Line(int line) const { return Row(kScreenX, kScreenY + line, kListWidth); }
    std::string LineIn(const std::vector<Cell>& shot, int line) const {
        std::string text;
        for (int x = kScreenX; x < kScreenX + kListWidth; ++x)
            text += static_cast<char>(shot[static_cast<size_t>((kScreenY + line) * screen.Width() + x)].ch);
        return text;
    }
    void Keys(const std::vector<int>& codes) {
        for (int code : codes) keys.PushKey(code);
    }
};

}  // namespace

TEST_F(ListBoxTest, DrawsLinesWithTheFocusColour) {
    EstringStore list;
    Fill(list, {"Alpha", "Beta", "A rather long item", "Delta"});
    int current = 1;
    Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
    d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 6, list, current, 0);
    // Before the dialog runs nothing has the focus: every line is in colour 6.
    EXPECT_EQ("Beta      ", Line(1));
    EXPECT_EQ("A rather l", Line(2));  // cut to the width
    EXPECT_EQ("          ", Line(4));  // past the end: blanks
    EXPECT_EQ(std::string(kListWidth, 'L'), Attrs(kScreenX, kScreenY + 1, kListWidth, {{0x3F, 'L'}}));
    keys.PushTimeout();
    EXPECT_EQ(0, d.Run());
    // With the focus the current line is colour 7, the others stay 6.
    EXPECT_EQ(std::string(kListWidth, 'C'), Attrs(kScreenX, kScreenY + 1, kListWidth, {{0x0F, 'C'}}));
    EXPECT_EQ(std::string(kListWidth, 'L'), Attrs(kScreenX, kScreenY + 0, kListWidth, {{0x3F, 'L'}}));
}

TEST_F(ListBoxTest, KeysMoveTheCurrentItemAndEndTheDialog) {
    struct Case {
        const char* name;
        int count, rows, start, exitCode;
        std::vector<int> keys;
        int expectCurrent, expectCode;
        const char* expectFirstLine;
    };
    const Case cases[] = {
        {"down twice", 10, 4, 0, 0, {kKeyDown, kKeyDown, kKeyEnter}, 2, 13, "Item 0"},
        {"down scrolls at the bottom", 10, 4, 3, 0, {kKeyDown, kKeyEnter}, 4, 13, "Item 1"},
        {"up stops at the first", 10, 4, 0, 0, {kKeyUp, kKeyEnter}, 0, 13, "Item 0"},
        {"page down keeps the line", 10, 4, 1, 0, {kKeyPageDown, kKeyEnter}, 5, 13, "Item 4"},
        {"page down to a short last page", 10, 4, 8, 0, {kKeyPageDown, kKeyEnter}, 9, 13, "Item 9"},
        {"page down on the last page: last item", 10, 4, 0, 0,
         {kKeyEnd, kKeyUp, kKeyUp, kKeyUp, kKeyPageDown, kKeyEnter}, 9, 13, "Item 6"},
        {"page up before the first page: first item", 10, 4, 6, 0, {kKeyPageUp, kKeyEnter}, 0, 13, "Item 0"},
        {"end", 10, 4, 0, 0, {kKeyEnd, kKeyEnter}, 9, 13, "Item 6"},
        {"home", 10, 4, 9, 0, {kKeyHome, kKeyEnter}, 0, 13, "Item 0"},
        {"start beyond the first page", 10, 4, 7, 0, {kKeyEnter}, 7, 13, "Item 4"},
        {"start past the end is clamped", 10, 4, 42, 0, {kKeyEnter}, 9, 13, "Item 6"},
        {"exit code > 0 ends Enter with it", 10, 4, 0, 7, {kKeyDown, kKeyEnter}, 1, 7, "Item 0"},
        {"exit code -1: F1 ends with its code", 10, 4, 2, -1, {kKeyF1}, 2, kKeyF1, "Item 0"},
        {"exit code -1: Tab too", 10, 4, 0, -1, {kKeyDown, kKeyTab}, 1, kKeyTab, "Item 0"},
        {"exit code 0: F1 is not the list's", 10, 4, 0, 0, {kKeyF1, kKeyDown, kKeyEsc}, 1, 27, "Item 0"},
        {"empty list keeps -1", 0, 4, 0, 0, {kKeyDown, kKeyEnd, kKeyPageDown, kKeyEnter}, -1, 13, ""},
    };
    for (const Case& c : cases) {
        std::vector<const char*> items = Numbered(c.count);
        EstringStore list;
    Fill(list, items);
        int current = c.start;
        {
            Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
            d.AddListBoxEstring(kListX, kListY, 0, kListWidth, c.rows, list, current, c.exitCode);
            Keys(c.keys);
            EXPECT_EQ(c.expectCode, d.Run()) << c.name;
            EXPECT_EQ(c.expectCurrent, current) << c.name;
            EXPECT_EQ(std::string(c.expectFirstLine) + std::string(kListWidth - strlen(c.expectFirstLine), ' '),
                      Line(0))
                << c.name;
            if (c.count == 0) {
                for (int line = 0; line < c.rows; ++line) EXPECT_EQ(std::string(kListWidth, ' '), Line(line));
            }
        }
        keys.Clear();
    }
}

TEST_F(ListBoxTest, EnterUsesTheDefaultCodeAndSetDefaultButton) {
    EstringStore list;
    Fill(list, {"a", "b"});
    int current = 0;
    {
        Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
        d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 4, list, current, 0);
        d.AddPushButton(20, 8, 1, 44, "First");
        int second = d.AddPushButton(30, 8, 0, 55, "Second");
        Keys({kKeyEnter});
        EXPECT_EQ(44, d.Run());  // the first button's code is the default
        d.SetDefaultButton(second);
        Keys({kKeyEnter});
        EXPECT_EQ(55, d.Run());
        d.SetDefaultButton(0);  // not a button: nothing changes
        Keys({kKeyEnter});
        EXPECT_EQ(55, d.Run());
    }
}

TEST_F(ListBoxTest, PrefixSearch) {
    struct Case {
        const char* name;
        int start;
        std::vector<int> keys;  // then Esc, unless the dialog ends earlier
        int expectCurrent, expectCode;
    };
    const Case cases[] = {
        {"a letter finds the first match at or after the current item", 1, {'b'}, 2, 27},
        {"two letters in any case", 0, {'B', 'e'}, 3, 27},
        {"the current item matches itself", 3, {'b'}, 3, 27},
        {"wraps around", 4, {'a'}, 0, 27},
        {"leading blanks are ignored", 0, {'c', 'h'}, 4, 27},
        {"no match: dropped and not consumed (the hot key fires)", 0, {'b', 'x'}, 2, 'x'},
        {"alt-down with empty prefix: the next item", 1, {kKeyAltDown}, 2, 27},
        {"alt-down steps to the next match", 0, {'a', kKeyAltDown}, 1, 27},
        {"alt-up steps back, wrapping", 0, {'a', kKeyAltUp}, 1, 27},
        {"another key ends the search", 0, {'b', kKeyDown, 'a'}, 0, 27},
        {"space is not a search key", 0, {' ', kKeyEnter}, 0, 13},
    };
    EstringStore list;
    Fill(list, {"Apple", "apricot", "Banana", "berry", "  Cherry"});
    for (const Case& c : cases) {
        int current = c.start;
        {
            Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
            d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 4, list, current, 0);
            d.AddExitKey('x');
            Keys(c.keys);
            keys.PushKey(kKeyEsc);
            EXPECT_EQ(c.expectCode, d.Run()) << c.name;
            EXPECT_EQ(c.expectCurrent, current) << c.name;
        }
        keys.Clear();
    }
}

TEST_F(ListBoxTest, SearchPopupSitsOnTheBottomLineAndGoes) {
    const std::vector<Cell> before = screen.Cells();
    EstringStore list;
    Fill(list, {"Apple", "apricot", "Banana"});
    int current = 0;
    {
        ProbeDialog d(screen);
        int box = d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 4, list, current, 0);
        Keys({'a', 'p', 'r', kKeyDown});
        keys.PushTimeout();
        EXPECT_EQ(0, d.Run());
        ASSERT_EQ(5u, d.shots.size());
        const int bottom = kTop + kHeight - 1, right = kLeft + kWidth - 1;
        auto cellAt = [&](const std::vector<Cell>& shot, int x, int y) { return shot[static_cast<size_t>(y * 80 + x)]; };
        // After "apr": " apr " ends at the dialog's right edge, in colour 7.
        std::string popup;
        for (int x = right - 4; x <= right; ++x) popup += static_cast<char>(cellAt(d.shots[3], x, bottom).ch);
        EXPECT_EQ(" apr ", popup);
        EXPECT_EQ(0x0F, cellAt(d.shots[3], right - 4, bottom).attr);
        EXPECT_EQ(0xCD, cellAt(d.shots[3], right - 5, bottom).ch);  // the frame goes on to its left
        EXPECT_EQ("apricot   ", LineIn(d.shots[3], 1));
        // Down ended the search: the frame line is whole again.
        for (int x = right - 4; x < right; ++x) EXPECT_EQ(0xCD, cellAt(d.shots[4], x, bottom).ch);
        EXPECT_EQ(0xBC, cellAt(d.shots[4], right, bottom).ch);
        EXPECT_EQ(2, current);
        EXPECT_FALSE(static_cast<ListBox&>(d.ControlAt(box)).HasSearchPopup());
    }
    EXPECT_EQ(before, screen.Cells());
}

TEST_F(ListBoxTest, DialogClosedWithThePopupOpenRestoresTheScreen) {
    const std::vector<Cell> before = screen.Cells();
    EstringStore list;
    Fill(list, {"Apple", "apricot"});
    int current = 0;
    {
        Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
        int box = d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 4, list, current, 0);
        Keys({'a', 'p'});
        keys.PushTimeout();  // the loop returns while the popup is up
        EXPECT_EQ(0, d.Run());
        EXPECT_TRUE(static_cast<ListBox&>(d.ControlAt(box)).HasSearchPopup());
    }
    EXPECT_EQ(before, screen.Cells());
}

TEST_F(ListBoxTest, Mouse) {
    struct Case {
        const char* name;
        int exitCode;
        std::vector<InputEvent> events;  // screen coordinates; Esc follows
        int expectCurrent, expectCode, expectFocus;
    };
    auto at = [](uint8_t type, int line, int column = 0) {
        return InputEvent{type, -1, kScreenX + column, kScreenY + line};
    };
    // Eight items in four rows, starting at item 2 (top 0); a button before the list has the focus first.
    const Case cases[] = {
        {"press takes the focus and picks the line", 0, {at(kEventLeftPress, 3)}, 3, 27, 1},
        {"release on a line picks it too", 0, {at(kEventLeftRelease, 1, 9)}, 1, 27, 1},
        {"double click acts as Enter", 5, {at(kEventDoubleClick, 0)}, 0, 5, 1},
        {"release with exit code -1 acts as Enter (the button's default code)", -1, {at(kEventLeftRelease, 1)}, 1, 99, 1},
        {"release outside is not the list's", 0, {at(kEventLeftRelease, 1, 10)}, 2, 27, 0},
        {"drag moves the current line", 0, {at(kEventLeftPress, 0), at(kEventLeftDrag, 2)}, 2, 27, 1},
        {"wheel down: three items on", 0, {at(kEventWheelDown, 1)}, 5, 27, 0},
        {"wheel up: three back, stops at the first", 0, {at(kEventWheelUp, 1)}, 0, 27, 0},
        {"wheel steps add up and stop at the last", 0,
         {at(kEventWheelDown, 0), at(kEventWheelDown, 0), at(kEventWheelDown, 0)}, 7, 27, 0},
        {"wheel beside the list does nothing", 0, {at(kEventWheelDown, 1, -1)}, 2, 27, 0},
    };
    std::vector<const char*> items = Numbered(8);
    EstringStore list;
    Fill(list, items);
    for (const Case& c : cases) {
        int current = 2;
        {
            Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
            d.AddPushButton(20, 8, 1, 99, "Button");
            d.AddListBoxEstring(kListX, kListY, 2, kListWidth, 4, list, current, c.exitCode);
            for (const InputEvent& event : c.events) keys.PushEvent(event);
            keys.PushKey(kKeyEsc);
            EXPECT_EQ(c.expectCode, d.Run()) << c.name;
            EXPECT_EQ(c.expectCurrent, current) << c.name;
            EXPECT_EQ(c.expectFocus, d.Focus()) << c.name;
        }
        keys.Clear();
    }
}

TEST_F(ListBoxTest, ClickBelowTheEndOfAShortListPicksTheLastItem) {
    EstringStore list;
    Fill(list, {"one", "two"});
    int current = 0;
    Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
    d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 5, list, current, 0);
    keys.PushMouse(kEventLeftPress, kScreenX + 2, kScreenY + 4);
    keys.PushKey(kKeyEsc);
    d.Run();
    EXPECT_EQ(1, current);
}

TEST_F(ListBoxTest, PressAboveOrBelowScrolls) {
    std::vector<const char*> items = Numbered(20);
    EstringStore list;
    Fill(list, items);
    {
        // Nothing else is waiting: the list scrolls all the way to the first item.
        int current = 12;
        Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
        int box = d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 4, list, current, 0);
        keys.PushMouse(kEventLeftPress, kScreenX + 3, kScreenY - 1);  // then the script runs dry: Esc
        d.Run();
        EXPECT_EQ(0, current);
        EXPECT_EQ(0, static_cast<ListBox&>(d.ControlAt(box)).TopItem());
        EXPECT_EQ("Item 0    ", Line(0));
    }
    keys.Clear();
    {
        // Input is waiting: only the last visible line becomes current.
        int current = 1;
        Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
        d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 4, list, current, 0);
        keys.PushMouse(kEventLeftPress, kScreenX, kScreenY + 4);
        keys.PushMouse(kEventLeftRelease, kScreenX, kScreenY + 4);
        keys.PushTimeout();
        d.Run();
        EXPECT_EQ(3, current);
    }
    keys.Clear();
    {
        // Below, with nothing waiting: down to the last item.
        int current = 1;
        Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
        d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 4, list, current, 0);
        keys.PushMouse(kEventLeftDrag, kScreenX + 9, kScreenY + 4);
        d.Run();
        EXPECT_EQ(19, current);
        EXPECT_EQ("Item 16   ", Line(0));
    }
}

TEST_F(ListBoxTest, ControlMessagesSetTheCountAndAnswerTheRow) {
    EstringStore list;
    Fill(list, {"one", "two"});
    int current = 1;
    Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
    int box = d.AddListBoxEstring(kListX, kListY, 0, kListWidth, 3, list, current, 0);
    list.Append("three");
    list.Append("four");
    EXPECT_EQ("          ", Line(2));
    InputEvent setCount{kEventSetCount, 4, 0, 0};
    d.SendEvent(box, setCount);
    EXPECT_EQ("three     ", Line(2));
    current = 3;  // the caller moves the current item and redraws
    d.Redraw(box);
    EXPECT_EQ("four      ", Line(2));
    InputEvent query{kEventQueryPos, 0, 0, 0};
    EXPECT_EQ(2, d.SendEvent(box, query));
    // The list shrinks: the current item follows it.
    list.Clear();
    list.Append("only");
    InputEvent shrink{kEventSetCount, 1, 0, 0};
    d.SendEvent(box, shrink);
    EXPECT_EQ(0, current);
    EXPECT_EQ("only      ", Line(0));
    EXPECT_EQ("          ", Line(1));
    // A count larger than the list draws what is missing as blanks.
    InputEvent tooMany{kEventSetCount, 5, 0, 0};
    d.SendEvent(box, tooMany);
    EXPECT_EQ("          ", Line(2));
}

TEST_F(ListBoxTest, StringArrayList) {
    const char* const strings[] = {"red", "green", "blue"};
    int current = 0;
    Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
    int box = d.AddListBoxString(kListX, kListY, 0, kListWidth, 4, strings, 3, current, 0);
    EXPECT_EQ(kKindListBox, d.ControlAt(box).Kind());
    EXPECT_EQ("green     ", Line(1));
    Keys({'b', kKeyEnter});
    EXPECT_EQ(13, d.Run());
    EXPECT_EQ(2, current);
}

TEST_F(ListBoxTest, MultiSelectMarks) {
    struct Case {
        const char* name;
        int exitCode;
        std::vector<int> keys;  // then Esc
        const char* expectMarks;
        int expectCode;
    };
    const Case cases[] = {
        {"space toggles the current item", 0, {' ', kKeyDown, kKeyDown, ' '}, "10100", 27},
        {"space twice clears again", 0, {' ', ' '}, "00000", 27},
        {"alt-a marks all", 0, {kKeyAltA}, "11111", 27},
        {"ctrl-keypad-plus marks all", 0, {1144}, "11111", 27},
        {"alt-n clears all", 0, {kKeyAltA, kKeyAltN}, "00000", 27},
        {"ctrl-keypad-minus clears all", 0, {kKeyAltA, ' ', 1142}, "00000", 27},
        {"with exit code -1 alt-a marks, then ends the dialog", -1, {kKeyAltA}, "11111", kKeyAltA},
    };
    EstringStore list;
    Fill(list, {"a", "b", "c", "d", "e"});
    for (const Case& c : cases) {
        uint8_t marks[5] = {};
        int current = 0;
        {
            Dialog d(kLeft, kTop, kWidth, kHeight, 0x70, 0);
            int box = d.AddListBoxMultiSelect(kListX, kListY, 0, kListWidth, 5, list, marks, current, c.exitCode);
            EXPECT_EQ(kKindListBoxMultiSelect, d.ControlAt(box).Kind());
            Keys(c.keys);
            keys.PushKey(kKeyEsc);
            EXPECT_EQ(c.expectCode, d.Run()) << c.name;
            std::string got, shown, expectShown;
            for (int i = 0; i < 5; ++i) {
                got += marks[i] ? '1' : '0';
                shown += static_cast<char>(screen.At(kScreenX - 1, kScreenY + i).ch);
                expectShown += c.expectMarks[i] == '1' ? '*' : ' ';
            }
            EXPECT_EQ(c.expectMarks, got) << c.name;
            EXPECT_EQ(expectShown, shown) << c.name;  // the column left of the list shows the marks
        }
        keys.Clear();
    }
}

TEST_F(ListBoxTest, EveryListDialogRestoresTheScreen) {
    const std::vector<Cell> before = screen.Cells();
    std::vector<const char*> items = Numbered(30);
    EstringStore list;
    Fill(list, items);
    uint8_t marks[30] = {};
    const std::vector<int> script = {'I', 't', kKeyAltDown, kKeyPageDown, ' ', kKeyAltA, 'z', kKeyEnd, kKeyUp};
    for (int kind = 0; kind < 3; ++kind) {
        for (size_t stop = 0; stop <= script.size(); ++stop) {
            int current = static_cast<int>(stop * 3);
            {
                Dialog d(-1, -2, 30, 10, 0x70, 0);
                if (kind == 0) d.AddListBoxEstring(1, 1, 0, 20, 6, list, current, 0);
                if (kind == 1) d.AddListBoxString(1, 1, 0, 20, 6, items.data(), 30, current, -1);
                if (kind == 2) d.AddListBoxMultiSelect(2, 1, 0, 20, 6, list, marks, current, 0);
                for (size_t i = 0; i < stop; ++i) keys.PushKey(script[i]);
                keys.PushMouse(kEventWheelDown, 40, 12);
                keys.PushTimeout();
                d.Run();
            }
            ASSERT_EQ(before, screen.Cells()) << "kind " << kind << " after " << stop << " keys";
            keys.Clear();
        }
    }
}

TEST_F(ListBoxTest, SearchLongerThanTheDialogStaysInsideIt) {
    const std::vector<Cell> before = screen.Cells();
    EstringStore list;
    list.Append("abcdefghijklmnop");
    int current = 0;
    {
        Dialog d(30, 5, 8, 5, 0x70, 0);
        d.AddListBoxEstring(0, 0, 0, 6, 2, list, current, 0);
        for (char c : std::string("abcdefghijkl")) keys.PushKey(c);
        keys.PushTimeout();
        EXPECT_EQ(0, d.Run());
        EXPECT_EQ(" ghijkl ", Row(30, 9, 8));  // the last letters typed, within the dialog's 8 columns
        EXPECT_EQ(0xBB, screen.At(37, 5).ch);
        EXPECT_EQ(0x0F, screen.At(30, 9).attr);  // the popup covers the whole bottom line
        EXPECT_EQ(0x0F, screen.At(37, 9).attr);
        EXPECT_NE(0x0F, screen.At(38, 9).attr);
    }
    EXPECT_EQ(before, screen.Cells());
}
