#include "ui/MessageBox.h"

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/KeyCodes.h"

namespace {

class MessageBoxTest : public uitest::ScreenTest {};

// An input source that copies the screen at every read, so a test can see
// what a modal box showed while it waited.
class PeekingInput : public InputSource {
public:
    PeekingInput(MemoryDisplay& display, ScriptedInput& script) : display(display), script(script) {}
    void Read(InputEvent& event, int timeoutMs) override {
        seen.push_back(display.Cells());
        script.Read(event, timeoutMs);
    }
    bool Pending() override { return script.Pending(); }
    std::vector<std::vector<Cell>> seen;

private:
    MemoryDisplay& display;
    ScriptedInput& script;
};

std::string RowOf(const std::vector<Cell>& cells, int width, int y) {
    std::string out;
    for (int x = 0; x < width; ++x) out += static_cast<char>(cells[static_cast<size_t>(y * width + x)].ch);
    return out;
}

}  // namespace

TEST(MessageWrap, LinesOfAtMost72) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string word80(80, 'w');
    const std::string words = std::string(70, 'a') + " " + std::string(10, 'b');
    const std::string blankAt72 = std::string(72, 'c') + "   dd";
    const Case cases[] = {
        {word80, {std::string(72, 'w'), std::string(8, 'w')}},
        {words, {std::string(70, 'a'), std::string(10, 'b')}},
        {blankAt72, {std::string(72, 'c'), "dd"}},
        {"short", {"short"}},
        {"", {""}},
        {std::string(72, 'e'), {std::string(72, 'e')}},
        {std::string(2000, 'z'), std::vector<std::string>(10, std::string(72, 'z'))},
    };
    for (const Case& c : cases) {
        std::vector<Estring> got = WrapMessageText(Estring(c.text));
        std::vector<std::string> texts;
        for (const Estring& e : got) texts.push_back(e.ToStdString());
        EXPECT_EQ(c.lines, texts) << c.text.substr(0, 30);
    }
}

TEST(MessageWrap, ShowMessageLines) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"#One#Two", {"One", "Two"}},
        {"One", {"One"}},
        {"A##B", {"A", "", "B"}},
        {"Trailing#", {"Trailing", ""}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts;
        for (const Estring& e : SplitMessageLines(c.text)) texts.push_back(e.ToStdString());
        EXPECT_EQ(c.lines, texts) << c.text;
    }
}

TEST_F(MessageBoxTest, AnswersByButtonSetAndInput) {
    struct Case {
        const char* name;
        int style;
        std::vector<InputEvent> script;
        int answer;
    };
    auto key = [](int k) { return InputEvent{kEventKey, k, 0, 0}; };
    auto mouse = [](uint8_t t, int x, int y) { return InputEvent{t, -1, x, y}; };
    const Case cases[] = {
        {"enter in set 0 answers y", 0, {key(kKeyEnter)}, 'y'},
        {"esc in set 1 answers 27", 1, {key(kKeyEsc)}, 27},
        {"tab to Cancel then enter", 1, {key(kKeyTab), key(kKeyEnter)}, 27},
        {"alt-S in set 2 answers s", 2, {key(kKeyAltS)}, 's'},
        {"alt-A in set 2 answers a", 2, {key(kKeyAltA)}, 'a'},
        {"alt-E in set 2 answers e", 2, {key(kKeyAltE)}, 'e'},
        {"typed e in set 2 answers e", 2, {key('e')}, 'e'},
        {"alt-S in set 3 answers s", 3, {key(kKeyAltS)}, 's'},
        {"enter in set 3 is Skip, the first button", 3, {key(kKeyEnter)}, 's'},
        {"tab twice in set 3 is Skip All", 3, {key(kKeyTab), key(kKeyTab), key(kKeySpace)}, 'a'},
        {"click outside closes with 27", 0, {mouse(kEventLeftPress, 0, 0), mouse(kEventLeftRelease, 0, 0)}, 27},
        {"right click answers the default", 1, {mouse(kEventRightPress, 0, 0), mouse(kEventRightRelease, 0, 0)}, 'y'},
        {"neutral colours change nothing in answers", 0x11, {key(kKeyEsc)}, 27},
    };
    for (const Case& c : cases) {
        const std::vector<Cell> before = screen.Cells();
        for (const InputEvent& e : c.script) keys.PushEvent(e);
        EXPECT_EQ(c.answer, messageBox("Something happened", "12: File not found", c.style)) << c.name;
        EXPECT_EQ(before, screen.Cells()) << c.name;
        keys.Clear();
    }
}

TEST_F(MessageBoxTest, LayoutOfLongWordColoursAndButtons) {
    PeekingInput peek(screen, keys);
    InstallConsole(&screen, &peek);
    keys.PushKey(kKeyEsc);
    messageBox(Estring(std::string(80, 'w')), "second", 1);
    ASSERT_EQ(1u, peek.seen.size());
    const std::vector<Cell>& shown = peek.seen[0];
    // w = 72, inner 74, window 76 wide centred at 2; 2 + 4 rows = 6 high, top (25 - 6) / 3 = 6.
    EXPECT_EQ(std::string(1, '\xC9') + std::string(74, '\xCD') + '\xBB', RowOf(shown, 80, 6).substr(2, 76));
    EXPECT_EQ(std::string(72, 'w'), RowOf(shown, 80, 7).substr(4, 72));
    EXPECT_EQ("  " + std::string(8, 'w') + "  ", RowOf(shown, 80, 8).substr(34, 12));
    EXPECT_EQ(" second ", RowOf(shown, 80, 9).substr(36, 8));
    // Buttons at c - 9 and c - 1 with c = 37: columns 3 + 28 and 3 + 36.
    EXPECT_EQ("[ Ok ]  [ Cancel ]", RowOf(shown, 80, 10).substr(31, 18));
    EXPECT_EQ(0x4F, shown[7 * 80 + 10].attr);
    // Ok has the focus (0x30) with its hot letter; Cancel is in the box colour.
    EXPECT_EQ(0x30, shown[10 * 80 + 31].attr);
    EXPECT_EQ(0x4F, shown[10 * 80 + 39].attr);
    InstallConsole(&screen, &keys);
}

TEST_F(MessageBoxTest, NeutralColours) {
    PeekingInput peek(screen, keys);
    InstallConsole(&screen, &peek);
    keys.PushKey(kKeyEsc);
    messageBox("Question?", "", 0x10 | 1);
    ASSERT_EQ(1u, peek.seen.size());
    // Minimum width 20, inner 22, window 24 at column 28; 5 rows at top 6.
    const std::vector<Cell>& shown = peek.seen[0];
    EXPECT_EQ(0x70, shown[6 * 80 + 28].attr);
    EXPECT_EQ("Question?", RowOf(shown, 80, 7).substr(35, 9));
    EXPECT_EQ(0x70, shown[7 * 80 + 35].attr);
    InstallConsole(&screen, &keys);
}

TEST_F(MessageBoxTest, ShowMessageSizesAndClosesOnAnyEvent) {
    struct Case {
        const char* name;
        const char* title;
        const char* text;
        InputEvent closer;
        int width, height;
    };
    const Case cases[] = {
        {"one line without title is 30 by 5", nullptr, "Done", {kEventKey, 'x', 0, 0}, 30, 5},
        {"leading # adds no empty line", nullptr, "#Done", {kEventLeftPress, -1, 3, 3}, 30, 5},
        {"two lines", "Title", "One#Two", {kEventKey, kKeyEsc, 0, 0}, 30, 6},
        {"long title widens", "A title that is rather long indeed", "x", {kEventKey, 13, 0, 0}, 40, 5},
        {"long line widens to even", nullptr, "123456789012345678901234567890", {kEventKey, 13, 0, 0}, 34, 5},
    };
    for (const Case& c : cases) {
        PeekingInput peek(screen, keys);
        InstallConsole(&screen, &peek);
        const std::vector<Cell> before = screen.Cells();
        keys.PushEvent(c.closer);
        keys.PushKey('z');
        ShowMessage(c.title, c.text, true);
        EXPECT_EQ(1, keys.Remaining()) << c.name << ": one event closes it";
        EXPECT_EQ(before, screen.Cells()) << c.name;
        ASSERT_EQ(1u, peek.seen.size());
        const std::vector<Cell>& shown = peek.seen[0];
        int left = (80 - c.width) / 2, top = (25 - c.height) / 3;
        std::string frameTop = RowOf(shown, 80, top).substr(static_cast<size_t>(left), static_cast<size_t>(c.width));
        EXPECT_EQ('\xC9', frameTop.front()) << c.name;
        EXPECT_EQ('\xBB', frameTop.back()) << c.name << "|" << frameTop;
        EXPECT_EQ('\xC8', static_cast<char>(shown[static_cast<size_t>((top + c.height - 1) * 80 + left)].ch)) << c.name;
        std::string bottom = RowOf(shown, 80, top + c.height - 1);
        EXPECT_EQ(static_cast<size_t>(left + 1 + c.width - 2 - 23), bottom.find(" Press ESC to continue ")) << c.name;
        EXPECT_EQ(0x4F, shown[static_cast<size_t>(top * 80 + left)].attr);
        if (c.title) {
            EXPECT_NE(std::string::npos, frameTop.find(std::string(" ") + c.title + " ")) << c.name;
        }
        keys.Clear();
        InstallConsole(&screen, &keys);
    }
}

TEST_F(MessageBoxTest, ShowMessageInformationColour) {
    PeekingInput peek(screen, keys);
    InstallConsole(&screen, &peek);
    keys.PushKey(1);
    ShowMessage("Info", "Hello", false);
    ASSERT_EQ(1u, peek.seen.size());
    EXPECT_EQ(0x1F, peek.seen[0][6 * 80 + 25].attr);
    InstallConsole(&screen, &keys);
}
