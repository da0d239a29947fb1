#include <gtest/gtest.h>

#include <vector>

#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "platform/TerminalStyle.h"

TEST(CellBuffer, RunsClipAtTheirRowAndTheScreen) {
    MemoryDisplay screen(10, 3);
    const uint8_t text[] = {'a', 'b', 'c', 'd', 'e'};
    screen.WriteChars(7, 1, text, 5);  // d and e fall off the row: they do not wrap
    EXPECT_EQ("       abc", screen.RowText(1));
    EXPECT_EQ("          ", screen.RowText(2));
    screen.WriteChars(-2, 0, text, 5);  // starts left of the screen
    EXPECT_EQ("cde       ", screen.RowText(0));
    screen.FillAttributes(8, 0, 0x4F, 100);
    EXPECT_EQ(0x4F, screen.At(9, 0).attr);
    EXPECT_EQ(0x07, screen.At(0, 1).attr);
    screen.FillChars(0, 5, 'x', 10);  // below the screen: nothing
    screen.FillChars(0, -1, 'x', 10);
    EXPECT_EQ(kBlankCell, screen.At(0, 5));
    uint8_t attrs[3];
    screen.ReadAttributes(8, 0, attrs, 3);  // the cell past the edge reads as 0x07
    EXPECT_EQ(0x4F, attrs[0]);
    EXPECT_EQ(0x4F, attrs[1]);
    EXPECT_EQ(0x07, attrs[2]);
}

TEST(CellBuffer, RectanglesRoundTripAndClip) {
    MemoryDisplay screen(6, 4);
    std::vector<Cell> cells;
    for (int i = 0; i < 12; ++i) cells.push_back(Cell{static_cast<uint8_t>('A' + i), static_cast<uint8_t>(i)});
    screen.WriteCells(4, 2, 4, 3, cells.data());  // only the top-left 2x2 lands
    EXPECT_EQ("    AB", screen.RowText(2));
    EXPECT_EQ("    EF", screen.RowText(3));
    std::vector<Cell> back(12);
    screen.ReadCells(4, 2, 4, 3, back.data());
    EXPECT_EQ(cells[0], back[0]);
    EXPECT_EQ(cells[5], back[5]);
    EXPECT_EQ(kBlankCell, back[2]);   // outside: blank
    EXPECT_EQ(kBlankCell, back[11]);
}

TEST(CellBuffer, ScrollRect) {
    MemoryDisplay screen(3, 4);
    const char* rows[] = {"abc", "def", "ghi", "jkl"};
    for (int y = 0; y < 4; ++y) screen.WriteChars(0, y, reinterpret_cast<const uint8_t*>(rows[y]), 3);
    screen.ScrollRect(0, 1, 3, 3, 1, Cell{'.', 0x10});
    EXPECT_EQ("abc", screen.RowText(0));
    EXPECT_EQ("ghi", screen.RowText(1));
    EXPECT_EQ("jkl", screen.RowText(2));
    EXPECT_EQ("...", screen.RowText(3));
    EXPECT_EQ(0x10, screen.At(1, 3).attr);
    screen.ScrollRect(0, 0, 3, 4, -3, Cell{'-', 0x20});
    EXPECT_EQ("---", screen.RowText(2));
    EXPECT_EQ("abc", screen.RowText(3));
    screen.ScrollRect(0, 0, 3, 4, 4, Cell{' ', 0x07});  // as many lines as rows: cleared
    for (int y = 0; y < 4; ++y) EXPECT_EQ("   ", screen.RowText(y));
    screen.WriteChars(0, 0, reinterpret_cast<const uint8_t*>("xyz"), 3);
    screen.ScrollRect(0, 0, 3, 4, -4, Cell{'#', 0x30});  // downwards too
    for (int y = 0; y < 4; ++y) EXPECT_EQ("###", screen.RowText(y));
    screen.ScrollRect(0, 0, 3, 4, -2147483647 - 1, Cell{'+', 0x30});  // no overflow at the extreme
    EXPECT_EQ("+++", screen.RowText(3));
}

TEST(Console, DefaultsAndInstalling) {
    InstallConsole(nullptr, nullptr);
    EXPECT_EQ(80, ConsoleDisplay().Width());
    EXPECT_EQ(25, ConsoleDisplay().Height());
    InputEvent event{};
    ConsoleInput().Read(event, -1);  // the empty default never hangs
    EXPECT_EQ(27, event.key);

    MemoryDisplay screen(100, 40);
    ScriptedInput keys;
    InstallConsole(&screen, &keys);
    int width = 0, height = 0;
    GetScreenSize(width, height);
    EXPECT_EQ(100, width);
    EXPECT_EQ(40, height);
    SetCursorShape(0);
    EXPECT_EQ(0, CursorShape());
    // A newly installed display gets the next shape even if it is the same value.
    MemoryDisplay other(80, 25);
    InstallConsole(&other, &keys);
    EXPECT_EQ(-1, CursorShape());
    SetCursorShape(0);
    EXPECT_EQ(1, other.CursorShapeCalls());
    InstallConsole(nullptr, nullptr);
    EXPECT_EQ(80, ConsoleDisplay().Width());
}

TEST(TerminalStyle, ColourModes) {
    const struct {
        uint8_t attribute;
        ColourMode mode;
        int foreground, background;
        bool bold, dim, reverse, blank;
    } cases[] = {
        // Full colour: console palette to ANSI order, bright backgrounds kept.
        {0x13, ColourMode::Full16, 6, 4, false, false, false, false},
        {0x3F, ColourMode::Full16, 15, 6, false, false, false, false},
        {0x4F, ColourMode::Full16, 15, 1, false, false, false, false},
        {0xF1, ColourMode::Full16, 4, 15, false, false, false, false},
        {0x08, ColourMode::Full16, 8, 0, false, false, false, false},
        {0x55, ColourMode::Full16, 0, 5, false, false, false, true},
        // Eight colours: bright foregrounds bold, dark grey on black dim.
        {0x3F, ColourMode::Basic8, 7, 6, true, false, false, false},
        {0x08, ColourMode::Basic8, 7, 0, false, true, false, false},
        {0x00, ColourMode::Basic8, 7, 0, false, false, false, true},
        {0xF1, ColourMode::Basic8, 4, 7, false, false, false, false},
        // Monochrome: dialogs and list cursors reversed, list lines and fields not.
        {0x70, ColourMode::Monochrome, -1, -1, false, false, true, false},
        {0x30, ColourMode::Monochrome, -1, -1, false, false, false, false},
        {0x0F, ColourMode::Monochrome, -1, -1, true, false, true, false},
        {0x2F, ColourMode::Monochrome, -1, -1, true, false, false, false},
        {0x3F, ColourMode::Monochrome, -1, -1, true, false, false, false},
        {0x71, ColourMode::Monochrome, -1, -1, true, false, true, false},
        {0x78, ColourMode::Monochrome, -1, -1, false, true, true, false},
        {0x08, ColourMode::Monochrome, -1, -1, false, true, false, false},
        {0x00, ColourMode::Monochrome, -1, -1, false, false, false, true},
    };
    for (const auto& c : cases) {
        CellStyle style = StyleOf(c.attribute, c.mode);
        std::string name = "attribute " + std::to_string(c.attribute) + " mode " + std::to_string(int(c.mode));
        EXPECT_EQ(c.foreground, style.foreground) << name;
        EXPECT_EQ(c.background, style.background) << name;
        EXPECT_EQ(c.bold, style.bold) << name;
        EXPECT_EQ(c.dim, style.dim) << name;
        EXPECT_EQ(c.reverse, style.reverse) << name;
        EXPECT_EQ(c.blank, style.blankText) << name;
    }
}

TEST(TerminalStyle, PairsAreValidAndNeverShareDifferentColours) {
    for (ColourMode mode : {ColourMode::Full16, ColourMode::Basic8}) {
        std::vector<std::pair<int, int>> colours(300, {-1, -1});
        for (int a = 0; a < 256; ++a) {
            CellStyle style = StyleOf(static_cast<uint8_t>(a), mode);
            ASSERT_GE(style.pair, 1) << a;  // pair 0 cannot be given colours
            ASSERT_LE(style.pair, mode == ColourMode::Full16 ? 256 : 63) << a;
            std::pair<int, int> wanted{style.foreground, style.background};
            std::pair<int, int>& seen = colours[static_cast<size_t>(style.pair)];
            if (seen.first >= 0) {
                EXPECT_EQ(seen, wanted) << "attribute " << a;
            }
            seen = wanted;
        }
    }
}
