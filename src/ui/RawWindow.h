#pragma once
// RawWindow: a rectangle of the console screen that saves the cells it covers
// (and its shadow's) when created and puts them back when destroyed.
//
// Windows nest strictly like a stack: destroy them in the reverse order of
// their creation and the screen is exactly as before. All drawing positions
// are relative to the window's origin: its top-left cell, or the cell inside
// the frame when it has one. Text is code page 437; attributes are console
// attribute bytes (low nibble foreground, high nibble background).
//
// Placement (constructor):
//   width < 1 / height < 1: the screen size plus the value (0 = full size).
//   left < 0: centred; top < 0: (screen height - height) / -top, so -1 sits
//   on the bottom edge, -2 centres, -3 is a third of the free space down.
//   attribute < 0: nothing is cleared, the window's attribute is
//   ColourScheme[0]; otherwise the window is cleared in it.
//   frameAttribute < 0: no frame; otherwise a double frame in that attribute.
//   Shadow (2 columns right, 1 row below) unless noShadow or it would not fit
//   (right + 2 >= screen width or bottom + 1 >= screen height).
//   console: where the window draws, taken once; the process-wide one unless
//   given. A resize of the console later leaves the window's rectangle as it
//   was made.
//
// Nothing a window draws lands outside its rectangle (frame included), so
// closing it always restores the screen. Closing windows out of stack order
// is counted by the console and stops debug builds.

#include <cstdint>
#include <vector>

#include "base/Estring.h"
#include "platform/Console.h"
#include "platform/Display.h"

class RawWindow {
public:
    RawWindow(int left, int top, int width, int height, int attribute, int frameAttribute, bool noShadow,
              Console& console = ProcessConsole());
    virtual ~RawWindow();
    RawWindow(const RawWindow&) = delete;
    RawWindow& operator=(const RawWindow&) = delete;

    // Blanks in the window's attribute over the whole area inside the frame.
    void ClearWindow();
    // The same from row firstRow to the last row less rowsLeftAtBottom rows.
    void ClearRows(int firstRow, int rowsLeftAtBottom);
    // Blanks from the window cursor to the right edge (inside the frame); the cursor stays.
    // Nothing when the cursor's row is outside the window.
    void ClearToEndOfLine(int attribute);
    void ClearToEndOfLine();

    // Writes text at (x, y) and sets the attribute of exactly those cells;
    // the window cursor moves to (x + length, y). Callers keep text inside
    // the window; what would fall outside the window's rectangle (frame
    // included) is not drawn, since closing the window could not restore it.
    void WriteText(int x, int y, const Estring& text, int attribute);
    void WriteText(int x, int y, const Estring& text);
    // Text centred on row y inside the frame: x = (W - 2*frame - length) / 2.
    void WriteCentred(int y, const Estring& text, int attribute);
    void WriteCentred(int y, const Estring& text);
    // WriteText, then each character of letters (zero-terminated) marks the
    // first occurrence in text of its upper-case form, else of its lower-case
    // form, in HotAttribute(attribute).
    void WriteHotText(int x, int y, const Estring& text, const char* letters, int attribute);
    void WriteHotText(int x, int y, const Estring& text, const char* letters);
    // count copies of ch at (x, y) in attribute (one run, cut to the window).
    void FillText(int x, int y, uint8_t ch, int count, int attribute);
    // Sets the attribute of count cells from (x, y), keeping their characters (cut to the window).
    void SetAttributes(int x, int y, int count, int attribute);

    // Moves the content of the rectangle up by lines rows (down when lines < 0);
    // freed rows become blanks in the window's attribute; |lines| >= height clears it.
    // The rectangle is first cut to the window's (frame included).
    void ScrollRegion(int x, int y, int width, int height, int lines);

    // Window cursor (no screen effect until ShowCursor).
    void SetCursor(int x, int y);
    int CursorX() const { return cursorX; }
    int CursorY() const { return cursorY; }
    // Moves the console cursor to the window cursor; nothing while the cursor is hidden (shape 0).
    void ShowCursor();

    // Of the process-wide console, as the free functions of platform/Console.h.
    static void SetCursorShape(int size) { ::SetCursorShape(size); }
    static void GetScreenSize(int& width, int& height) { ::GetScreenSize(width, height); }
    // The console this window draws on.
    Console& WindowConsole() const { return console; }

    // The highlight of a hot letter on text in attribute a: yellow (bright
    // white when a is already yellow) on a's background; on a light grey
    // background, a's foreground with bit 0 inverted instead (0x70 -> 0x71).
    static uint8_t HotAttribute(uint8_t a);
    // A cell's attribute under a shadow: black background; foreground dark
    // grey for 0..7, otherwise the foreground less 8.
    static uint8_t ShadowAttribute(uint8_t a);

    // Absolute, inclusive rectangle of the window (the shadow lies outside).
    int Left() const { return left; }
    int Top() const { return top; }
    int Right() const { return right; }
    int Bottom() const { return bottom; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    // Absolute position of the drawing origin.
    int OriginX() const { return originX; }
    int OriginY() const { return originY; }
    // Drawing area inside the frame.
    int InnerWidth() const { return Width() - (hasFrame ? 2 : 0); }
    int InnerHeight() const { return Height() - (hasFrame ? 2 : 0); }
    int Attribute() const { return attribute; }
    void SetAttribute(int value) { attribute = static_cast<uint8_t>(value); }
    bool HasShadow() const { return hasShadow; }
    bool HasFrame() const { return hasFrame; }
    int ScreenWidth() const { return screenWidth; }
    int ScreenHeight() const { return screenHeight; }
    // Cells saved under the window and its shadow.
    int SavedCells() const { return static_cast<int>(saved.size()); }

private:
    Console& console;
    std::vector<Cell> saved;  // cells under window and shadow, row by row
    int left = 0, top = 0, right = 0, bottom = 0;
    int originX = 0, originY = 0;
    int cursorX = 0, cursorY = 0;
    uint8_t attribute = 0;
    bool hasShadow = false;
    bool hasFrame = false;
    int screenWidth = 0, screenHeight = 0;

    void DrawShadow();
    void DrawFrame(uint8_t frameAttribute);
    // Blank rows firstRow..lastRow (relative to the origin) inside the frame.
    void BlankRows(int firstRow, int lastRow);
    int SavedWidth() const { return Width() + (hasShadow ? 2 : 0); }
    int SavedHeight() const { return Height() + (hasShadow ? 1 : 0); }
    // Cuts the run of n cells from absolute (x, y) to the window's rectangle:
    // skip is how many cells of the run fall before it. False when nothing is left.
    bool ClipRun(int& x, int y, int& n, int& skip) const;
    Display& Screen() const { return console.Screen(); }
};
