#pragma once
// MemoryDisplay: a display that is only a cell buffer, for tests. It records
// the cursor and counts the platform calls that tests want to observe.
//
//   MemoryDisplay screen(80, 25);
//   InstallConsole(&screen, &keys);
//   ... screen.At(x, y).ch, screen.RowText(y) ...

#include <string>

#include "platform/CellBuffer.h"

class MemoryDisplay : public CellBuffer {
public:
    MemoryDisplay(int width, int height) : CellBuffer(width, height) {}

    void SetCursorPosition(int x, int y) override {
        cursorX = x;
        cursorY = y;
    }
    void SetCursorShape(int size) override {
        cursorShape = size;
        ++cursorShapeCalls;
    }
    void Flush() override {
        ++flushes;
        changed = false;
    }
    void SetClipboard(const uint8_t* text, int n) override {
        clipboard.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(n));
        ++clipboardCalls;
    }

    int CursorX() const { return cursorX; }
    int CursorY() const { return cursorY; }
    // -1 until a shape has been set.
    int CursorShape() const { return cursorShape; }
    int CursorShapeCalls() const { return cursorShapeCalls; }
    int Flushes() const { return flushes; }
    // The last text handed on as the clipboard, and how often.
    const std::string& Clipboard() const { return clipboard; }
    int ClipboardCalls() const { return clipboardCalls; }

private:
    int cursorX = 0;
    int cursorY = 0;
    int cursorShape = -1;
    int cursorShapeCalls = 0;
    int flushes = 0;
    std::string clipboard;
    int clipboardCalls = 0;
};
