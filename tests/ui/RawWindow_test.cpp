#include "ui/RawWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "ui/ColourScheme.h"
#include "ui/Input.h"
#include "ui/QDXBackground.h"

namespace {

// Each test draws on its own 80x25 memory screen with a recognisable picture.
class RawWindowTest : public ::testing::Test {
protected:
    RawWindowTest() : screen(80, 25), console(screen, keys) {
        for (int y = 0; y < screen.Height(); ++y)
            for (int x = 0; x < screen.Width(); ++x) {
                Cell cell{static_cast<uint8_t>('A' + (x + y) % 26), static_cast<uint8_t>((x * 7 + y * 13) & 0xFF)};
                screen.WriteCells(x, y, 1, 1, &cell);
            }
    }
    MemoryDisplay screen;
    ScriptedInput keys;
    ScopedConsole console;
};

}  // namespace

TEST_F(RawWindowTest, NestedRandomWindowsRestoreTheScreenExactly) {
    const std::vector<Cell> before = screen.Cells();
    std::mt19937 random(1234);
    std::vector<std::unique_ptr<RawWindow>> stack;
    std::vector<std::vector<Cell>> snapshots;
    int opened = 0;
    while (opened < 1200) {
        // Grow the stack to a random depth, then shrink it part of the way.
        int depth = 1 + static_cast<int>(random() % 12);
        while (static_cast<int>(stack.size()) < depth) {
            snapshots.push_back(screen.Cells());
            int width = static_cast<int>(random() % 90) - 5;   // includes sizes relative to the screen
            int height = static_cast<int>(random() % 30) - 3;
            int left = static_cast<int>(random() % 90) - 3;    // includes centred placement and the edges
            int top = static_cast<int>(random() % 30) - 3;
            int attribute = random() % 5 == 0 ? -1 : static_cast<int>(random() % 256);
            int frame = random() % 3 == 0 ? -1 : static_cast<int>(random() % 256);
            stack.push_back(std::make_unique<RawWindow>(left, top, width, height, attribute, frame, random() % 4 == 0));
            // Draw inside the window only: the caller keeps text within it.
            RawWindow& window = *stack.back();
            int innerWidth = window.InnerWidth();
            int innerHeight = window.InnerHeight();
            int x = static_cast<int>(random() % 10);
            if (innerHeight > 0) window.WriteText(x, 0, Estring("Some text").Left(innerWidth - x), 0x1F);
            if (innerHeight > 1) window.WriteHotText(0, 1, Estring("Hot letters").Left(innerWidth), "hL", 0x70);
            window.ScrollRegion(0, 0, std::min(5, innerWidth), std::min(3, innerHeight),
                                static_cast<int>(random() % 5) - 2);
            ++opened;
        }
        int keep = static_cast<int>(random() % stack.size());
        while (static_cast<int>(stack.size()) > keep) {
            stack.pop_back();
            ASSERT_EQ(snapshots.back(), screen.Cells()) << "after closing window " << opened;
            snapshots.pop_back();
        }
    }
    while (!stack.empty()) stack.pop_back();  // newest first
    EXPECT_EQ(before, screen.Cells());
}

TEST_F(RawWindowTest, Placement) {
    const struct {
        int left, top, width, height;
        int expectLeft, expectTop, expectRight, expectBottom;
    } cases[] = {
        {0, 0, 0, 0, 0, 0, 79, 24},       // whole screen
        {-1, -2, 20, 5, 30, 10, 49, 14},  // centred both ways
        {-1, -1, 20, 5, 30, 20, 49, 24},  // on the bottom edge
        {-1, -3, 20, 7, 30, 6, 49, 12},   // a third of the free space down
        {3, 4, -6, -10, 3, 4, 76, 18},    // sizes relative to the screen
        {5, 5, 1, 1, 5, 5, 5, 5},
    };
    for (const auto& c : cases) {
        RawWindow window(c.left, c.top, c.width, c.height, 0x70, -1, true);
        EXPECT_EQ(c.expectLeft, window.Left()) << c.left << "," << c.top << " " << c.width << "x" << c.height;
        EXPECT_EQ(c.expectTop, window.Top()) << c.left << "," << c.top << " " << c.width << "x" << c.height;
        EXPECT_EQ(c.expectRight, window.Right()) << c.left << "," << c.top << " " << c.width << "x" << c.height;
        EXPECT_EQ(c.expectBottom, window.Bottom()) << c.left << "," << c.top << " " << c.width << "x" << c.height;
    }
}

TEST_F(RawWindowTest, ShadowOnlyWhereItFits) {
    const struct {
        int left, top, width, height;
        bool noShadow;
        bool shadow;
    } cases[] = {
        {0, 0, 0, 0, false, false},    // whole screen
        {10, 5, 20, 5, false, true},
        {10, 5, 20, 5, true, false},   // refused
        {58, 5, 20, 5, false, true},   // right + 2 = 79 fits
        {59, 5, 20, 5, false, false},  // right + 2 = 80 does not
        {10, 19, 20, 5, false, true},  // bottom + 1 = 24 fits
        {10, 20, 20, 5, false, false}, // bottom + 1 = 25 does not
    };
    for (const auto& c : cases) {
        RawWindow window(c.left, c.top, c.width, c.height, 0x70, 0x70, c.noShadow);
        EXPECT_EQ(c.shadow, window.HasShadow()) << c.left << "," << c.top;
        int cells = (c.width + (c.shadow ? 2 : 0)) * (c.height + (c.shadow ? 1 : 0));
        if (c.width > 0) {
            EXPECT_EQ(cells, window.SavedCells()) << c.left << "," << c.top;
        }
    }
}

TEST_F(RawWindowTest, ShadowDarkensAttributesAndKeepsCharacters) {
    screen.FillAttributes(0, 11, 0x1E, 80);  // under the bottom shadow: yellow on blue
    screen.FillAttributes(0, 6, 0x47, 80);   // beside the window: light grey on red
    Cell belowBefore = screen.At(14, 11);
    RawWindow window(10, 5, 20, 6, 0x70, -1, false);  // rows 5..10, columns 10..29
    EXPECT_EQ(belowBefore.ch, screen.At(14, 11).ch);
    EXPECT_EQ(0x06, screen.At(14, 11).attr);   // bright foreground loses 8, background black
    EXPECT_EQ(0x08, screen.At(30, 6).attr);    // dark foreground becomes dark grey
    EXPECT_EQ(0x08, screen.At(31, 6).attr);
    EXPECT_EQ(0x1E, screen.At(11, 11).attr);   // the bottom shadow starts at left + 2
    EXPECT_NE(0x08, screen.At(30, 5).attr);    // the right shadow starts at top + 1
    EXPECT_EQ(0x06, screen.At(31, 11).attr);   // and the bottom row reaches right + 2
    EXPECT_EQ(0x47, screen.At(32, 6).attr);
    const struct {
        uint8_t in, out;
    } rule[] = {{0x00, 0x08}, {0x07, 0x08}, {0x70, 0x08}, {0x1F, 0x07}, {0x08, 0x00}, {0xFE, 0x06}};
    for (const auto& r : rule) EXPECT_EQ(r.out, RawWindow::ShadowAttribute(r.in)) << int(r.in);
}

TEST_F(RawWindowTest, DoubleFrameAndOrigin) {
    RawWindow window(2, 3, 6, 4, 0x1F, 0x1E, true);
    EXPECT_EQ("\xC9\xCD\xCD\xCD\xCD\xBB", screen.RowText(3).substr(2, 6));
    EXPECT_EQ("\xBA    \xBA", screen.RowText(4).substr(2, 6));
    EXPECT_EQ("\xBA    \xBA", screen.RowText(5).substr(2, 6));
    EXPECT_EQ("\xC8\xCD\xCD\xCD\xCD\xBC", screen.RowText(6).substr(2, 6));
    EXPECT_EQ(0x1E, screen.At(2, 3).attr);
    EXPECT_EQ(0x1F, screen.At(3, 4).attr);
    EXPECT_EQ(3, window.OriginX());
    EXPECT_EQ(4, window.OriginY());
    window.WriteText(0, 0, "ab");
    EXPECT_EQ('a', screen.At(3, 4).ch);
    EXPECT_EQ(2, window.CursorX());
}

TEST_F(RawWindowTest, NegativeAttributeLeavesTheAreaAndUsesTheSchemeColour) {
    Cell before = screen.At(12, 6);
    RawWindow window(10, 5, 10, 5, -1, -1, true);
    EXPECT_EQ(before, screen.At(12, 6));
    EXPECT_EQ(ColourScheme[0], window.Attribute());
}

TEST_F(RawWindowTest, WriteTextCentredAndHotLetters) {
    RawWindow window(0, 0, 40, 5, 0x70, 0x70, true);  // inner width 38
    window.WriteCentred(1, "abcd");                  // x = (40 - 2 - 4) / 2 = 17
    EXPECT_EQ("abcd", screen.RowText(2).substr(18, 4));
    EXPECT_EQ(21, window.CursorX());
    window.WriteCentred(2, "abc", 0x1F);             // x = (40 - 2 - 3) / 2 = 17 (truncated)
    EXPECT_EQ("abc", screen.RowText(3).substr(18, 3));
    EXPECT_EQ(0x1F, screen.At(18, 3).attr);

    // One character wider than the inside: the division truncates towards
    // zero (x = (40 - 2 - 39) / 2 = 0, not -1) and the text is not cut.
    window.WriteCentred(2, Estring('w', 39), 0x1E);
    EXPECT_EQ(39, window.CursorX());
    EXPECT_EQ(0xBA, screen.At(0, 3).ch);  // the left frame stays
    EXPECT_EQ('w', screen.At(1, 3).ch);
    EXPECT_EQ('w', screen.At(39, 3).ch);  // over the right frame column
    window.WriteHotText(1, 0, "Save as", "A", 0x70);  // no upper-case A: the lower-case a is marked
    EXPECT_EQ(0x70, screen.At(2, 1).attr);            // S
    EXPECT_EQ(0x71, screen.At(3, 1).attr);            // first a
    EXPECT_EQ(0x70, screen.At(7, 1).attr);            // second a stays
    window.WriteHotText(1, 0, "Save as", "z", 0x70);  // not in the text: nothing changes
    for (int x = 2; x < 9; ++x) EXPECT_EQ(0x70, screen.At(x, 1).attr);

    const struct {
        uint8_t text, hot;
    } rule[] = {{0x70, 0x71}, {0x71, 0x70}, {0x30, 0x3E}, {0x3E, 0x3F}, {0x1F, 0x1E}, {0x0E, 0x0F}, {0x7E, 0x7F}};
    for (const auto& r : rule) EXPECT_EQ(r.hot, RawWindow::HotAttribute(r.text)) << int(r.text);
}

TEST_F(RawWindowTest, ClearingOperations) {
    RawWindow window(0, 0, 10, 6, 0x17, 0x17, true);  // inner 8x4 at (1,1)
    window.WriteText(0, 0, "xxxxxxxx");
    window.WriteText(0, 3, "yyyyyyyy");
    window.SetCursor(3, 0);
    window.ClearToEndOfLine(0x20);
    EXPECT_EQ("\xBAxxx     \xBA", screen.RowText(1).substr(0, 10));
    EXPECT_EQ(0x20, screen.At(4, 1).attr);
    EXPECT_EQ(3, window.CursorX());
    window.ClearRows(0, 1);  // rows 0..2, row 3 kept
    EXPECT_EQ("\xBA        \xBA", screen.RowText(1).substr(0, 10));
    EXPECT_EQ("\xBAyyyyyyyy\xBA", screen.RowText(4).substr(0, 10));
    window.ClearWindow();
    EXPECT_EQ("\xBA        \xBA", screen.RowText(4).substr(0, 10));
    EXPECT_EQ(0x17, screen.At(8, 4).attr);
    // Without a frame the last column is included.
    RawWindow plain(20, 0, 5, 2, 0x30, -1, true);
    plain.SetCursor(2, 1);
    plain.ClearToEndOfLine();
    EXPECT_EQ(' ', screen.At(24, 1).ch);
    EXPECT_NE(' ', screen.At(25, 1).ch);
}

TEST_F(RawWindowTest, ScrollRegionUpDownAndClear) {
    RawWindow window(0, 0, 4, 4, 0x07, -1, true);
    for (int y = 0; y < 4; ++y) window.WriteText(0, y, Estring(static_cast<char>('0' + y), 4));
    window.ScrollRegion(0, 0, 4, 4, 1);
    EXPECT_EQ("1111", screen.RowText(0).substr(0, 4));
    EXPECT_EQ("3333", screen.RowText(2).substr(0, 4));
    EXPECT_EQ("    ", screen.RowText(3).substr(0, 4));
    window.ScrollRegion(0, 0, 4, 4, -2);
    EXPECT_EQ("    ", screen.RowText(0).substr(0, 4));
    EXPECT_EQ("1111", screen.RowText(2).substr(0, 4));
    window.ScrollRegion(1, 0, 2, 4, 9);
    EXPECT_EQ("1  1", screen.RowText(2).substr(0, 4));
    EXPECT_EQ(0x07, screen.At(1, 2).attr);
}

TEST_F(RawWindowTest, CursorShapeAndPosition) {
    SetCursorShape(20);
    SetCursorShape(20);
    EXPECT_EQ(1, screen.CursorShapeCalls());
    EXPECT_EQ(20, screen.CursorShape());
    RawWindow window(10, 5, 10, 5, 0x70, 0x70, true);
    window.SetCursor(2, 1);
    window.ShowCursor();
    EXPECT_EQ(13, screen.CursorX());
    EXPECT_EQ(7, screen.CursorY());
    SetCursorShape(0);
    window.SetCursor(4, 3);
    window.ShowCursor();  // hidden: the console cursor stays
    EXPECT_EQ(13, screen.CursorX());
    EXPECT_EQ(0, screen.CursorShape());
    SetCursorShape(90);
    EXPECT_EQ(3, screen.CursorShapeCalls());
}

TEST_F(RawWindowTest, BackgroundTitleBandAndRestore) {
    const std::vector<Cell> before = screen.Cells();
    {
        QDXBackground background;
        EXPECT_FALSE(background.HasShadow());
        EXPECT_FALSE(background.HasFrame());
        background.DrawTitleBand("Quarrydex v1.00.152");
        SetCursorShape(0);
        EXPECT_EQ(std::string(30, ' ') + "Quarrydex v1.00.152" + std::string(31, ' '), screen.RowText(0));
        EXPECT_EQ(std::string(80, ' '), screen.RowText(1));
        EXPECT_EQ(0x3F, screen.At(0, 0).attr);
        EXPECT_EQ(0x3F, screen.At(79, 1).attr);
        for (int y = 2; y < 25; ++y) EXPECT_EQ(std::string(80, '\xB0'), screen.RowText(y)) << y;
        EXPECT_EQ(0x13, screen.At(40, 24).attr);
    }
    EXPECT_EQ(before, screen.Cells());
    EXPECT_EQ(20, screen.CursorShape());
    EXPECT_EQ(0, screen.CursorX());
    EXPECT_EQ(24, screen.CursorY());
}

TEST(ColourScheme, DefaultTable) {
    const uint8_t expected[23] = {0x70, 0x70, 0x4F, 0x4F, 0x30, 0x30, 0x3F, 0x0F, 0x71, 0x71, 0x3F, 0x0F,
                                  0x37, 0x31, 0x2F, 0x0F, 0x70, 0x78, 0x7E, 0x71, 0xF1, 0x71, 0x30};
    for (int i = 0; i < ColourTable::kSize; ++i) EXPECT_EQ(i < 23 ? expected[i] : 0, ColourScheme[i]) << i;
    ColourTable copy = ColourScheme;
    copy[0] = 0x1F;
    EXPECT_EQ(0x70, ColourScheme[0]);
}

// Regression: text running past a window's edge used to land outside the
// saved area and stay on the screen after the window closed.
TEST_F(RawWindowTest, TextPastTheWindowIsCutSoClosingRestoresEverything) {
    std::vector<Cell> before(80 * 25);
    screen.ReadCells(0, 0, 80, 25, before.data());
    {
        RawWindow window(10, 5, 20, 4, 0x70, 0x70, true);
        window.WriteText(15, 1, "a long name that does not fit");  // origin (11, 6): starts at (26, 7)
        EXPECT_EQ('a', screen.At(26, 7).ch);
        EXPECT_EQ('o', screen.At(29, 7).ch);  // the frame column, the window's last
        EXPECT_EQ(15 + 29, window.CursorX());  // the cursor moves as if nothing was cut
        window.WriteText(-15, 2, "cut on the left side", 0x1F);
        EXPECT_EQ('t', screen.At(10, 8).ch);  // the 15th character lands on the left edge
        EXPECT_EQ(0x1F, screen.At(10, 8).attr);
        window.WriteText(0, 9, "below the window");
        window.FillText(-5, 0, '#', 100, 0x4F);
        window.SetAttributes(-5, 1, 100, 0x4F);
        window.WriteHotText(15, 1, "xxxxxxxxxxxxxxxxZ", "Z", 0x70);
    }
    std::vector<Cell> after(80 * 25);
    screen.ReadCells(0, 0, 80, 25, after.data());
    for (int i = 0; i < 80 * 25; ++i) {
        ASSERT_EQ(before[i].ch, after[i].ch) << "cell " << i % 80 << "," << i / 80;
        ASSERT_EQ(before[i].attr, after[i].attr) << "cell " << i % 80 << "," << i / 80;
    }
}

// Regression: scrolling or clearing past a window's edge changed cells of the
// windows beneath, which closing the window did not restore.
TEST_F(RawWindowTest, ScrollAndClearPastTheWindowAreCut) {
    const std::vector<Cell> before = screen.Cells();
    {
        RawWindow window(10, 5, 20, 6, 0x70, 0x70, true);  // rows 5..10, columns 10..29
        window.WriteText(0, 0, "top line");
        const std::vector<Cell> inside = screen.Cells();
        window.ScrollRegion(-5, -3, 40, 20, 1);
        // Only rows 5..10 of columns 10..29 moved: the row above and the columns beside are as they were.
        for (int x = 0; x < 80; ++x) EXPECT_EQ(inside[4 * 80 + x], screen.At(x, 4)) << x;
        for (int y = 5; y <= 10; ++y) {
            EXPECT_EQ(inside[y * 80 + 9], screen.At(9, y)) << y;
            EXPECT_EQ(inside[y * 80 + 30], screen.At(30, y)) << y;
        }
        EXPECT_EQ(inside[6 * 80 + 11], screen.At(11, 5));  // the window's own rows did move up
        EXPECT_EQ(' ', screen.At(11, 10).ch);              // and its last row is free
        window.ScrollRegion(-5, -3, 40, 20, -30);
        window.SetCursor(-4, 7);  // below the window
        window.ClearToEndOfLine(0x4F);
        window.SetCursor(-4, 2);  // left of it: cleared from its left edge on
        window.ClearToEndOfLine(0x4F);
        EXPECT_EQ(0x4F, screen.At(10, 8).attr);
        EXPECT_EQ(inside[8 * 80 + 9], screen.At(9, 8));
        window.ClearRows(-3, -4);  // from above the window to below it
        EXPECT_EQ(inside[4 * 80 + 12], screen.At(12, 4));
        EXPECT_EQ(inside[11 * 80 + 12], screen.At(12, 11));
        EXPECT_EQ(0x70, screen.At(12, 8).attr);  // the rows inside were blanked
        EXPECT_EQ(' ', screen.At(12, 8).ch);
    }
    EXPECT_EQ(before, screen.Cells());
    EXPECT_EQ(0, ProcessConsole().WindowOrderFaults());
}

TEST_F(RawWindowTest, AWindowDrawsOnTheConsoleItWasMadeWith) {
    MemoryDisplay other(30, 10);
    Console own(other, keys);
    const std::vector<Cell> before = screen.Cells();
    {
        RawWindow window(2, 1, 10, 3, 0x1F, -1, true, own);
        window.WriteText(0, 0, "elsewhere");
        EXPECT_EQ(30, window.ScreenWidth());
        EXPECT_EQ("elsewhere", other.RowText(1).substr(2, 9));
        EXPECT_EQ(1, own.OpenWindows());
        EXPECT_EQ(0, ProcessConsole().OpenWindows());
    }
    EXPECT_EQ(0, own.OpenWindows());
    EXPECT_EQ(before, screen.Cells());
}

TEST_F(RawWindowTest, OpenWindowsKeepTheirRectanglesThroughAResize) {
    const std::vector<Cell> before = screen.Cells();
    auto window = std::make_unique<RawWindow>(-1, -2, 40, 11, 0x70, 0x70, false);
    int left = window->Left(), right = window->Right(), bottom = window->Bottom();
    keys.PushResize(50, 12);
    InputEvent event{};
    ReadInput(event, -1);
    EXPECT_EQ(kEventResize, event.type);
    EXPECT_EQ(50, screen.Width());
    EXPECT_EQ(left, window->Left());
    EXPECT_EQ(right, window->Right());
    EXPECT_EQ(bottom, window->Bottom());
    EXPECT_EQ(80, window->ScreenWidth());
    window->WriteText(0, 9, "past the new edge");  // clipped by the display, never wraps
    window.reset();
    // What the smaller screen still shows is what it showed before the window.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(before[y * 80 + x], screen.At(x, y)) << x << "," << y;
}
