#pragma once
// MemoryDisplay: a display that is only a cell buffer, for tests. It records
// the cursor and counts the platform calls that tests want to observe.
//
//   MemoryDisplay screen(80, 25);
//   InstallConsole(&screen, &keys);
//   ... screen.At(x, y).ch, screen.RowText(y) ...

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

    int CursorX() const { return cursorX; }
    int CursorY() const { return cursorY; }
    // -1 until a shape has been set.
    int CursorShape() const { return cursorShape; }
    int CursorShapeCalls() const { return cursorShapeCalls; }
    int Flushes() const { return flushes; }

private:
    int cursorX = 0;
    int cursorY = 0;
    int cursorShape = -1;
    int cursorShapeCalls = 0;
    int flushes = 0;
};
