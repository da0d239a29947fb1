#pragma once
// Shared by the toolkit's tests: an 80x25 memory screen with a recognisable
// picture and scripted input installed as the console, and text renderings
// of screen areas so that a failing test prints what it saw.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"

namespace uitest {

class ScreenTest : public ::testing::Test {
protected:
    ScreenTest() : screen(80, 25) {
        for (int y = 0; y < screen.Height(); ++y)
            for (int x = 0; x < screen.Width(); ++x) {
                Cell cell{static_cast<uint8_t>('a' + (x * 3 + y) % 26), static_cast<uint8_t>((x * 5 + y * 11) & 0xFF)};
                screen.WriteCells(x, y, 1, 1, &cell);
            }
    }

    // Characters of the rectangle, one line per row ("\n" after each).
    std::string Rows(int x, int y, int width, int height) const {
        std::string out;
        for (int row = y; row < y + height; ++row) {
            for (int col = x; col < x + width; ++col) out += static_cast<char>(screen.At(col, row).ch);
            out += '\n';
        }
        return out;
    }
    std::string Row(int x, int y, int width) const {
        std::string text = Rows(x, y, width, 1);
        text.pop_back();
        return text;
    }
    // Attributes of a run as letters from legend ('?' for others).
    std::string Attrs(int x, int y, int width, const std::map<int, char>& legend) const {
        std::string out;
        for (int col = x; col < x + width; ++col) {
            auto it = legend.find(screen.At(col, y).attr);
            out += it == legend.end() ? '?' : it->second;
        }
        return out;
    }
    // Finds text on row y; -1 when absent.
    int FindOnRow(int y, const std::string& text) const { return static_cast<int>(Row(0, y, screen.Width()).find(text)); }
    // The row where text first appears; -1 when nowhere.
    int FindRow(const std::string& text) const {
        for (int y = 0; y < screen.Height(); ++y)
            if (FindOnRow(y, text) >= 0) return y;
        return -1;
    }

    MemoryDisplay screen;
    ScriptedInput keys;
    ScopedConsole console{screen, keys};
};

}  // namespace uitest
