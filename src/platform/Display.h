#pragma once
// Display: the screen the toolkit draws on, a rectangle of character cells.
//
// A cell is one code page 437 byte and one attribute byte (low nibble
// foreground, high nibble background, 16 colours each). Coordinates are
// zero-based columns (x) and rows (y). Every operation clips to the buffer:
// cells outside it are neither written nor read (reads give a blank in 0x07).
// Runs (WriteChars, FillAttributes, ...) stop at the end of their row; they do
// not wrap to the next one.
//
// Implementations: MemoryDisplay (tests), TerminalDisplay (the user's terminal
// through ncursesw). The toolkit reaches it through a Console
// (platform/Console.h) and never touches the terminal itself.

#include <cstdint>

struct Cell {
    uint8_t ch;
    uint8_t attr;
    bool operator==(const Cell& other) const { return ch == other.ch && attr == other.attr; }
    bool operator!=(const Cell& other) const { return !(*this == other); }
};

constexpr Cell kBlankCell{' ', 0x07};

class Display {
public:
    virtual ~Display() = default;

    // Size of the cell buffer; it changes only through Resize.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Takes a new size (at least 1x1): the cells both sizes share keep their
    // content, new cells are blank. The terminal display also repaints.
    virtual void Resize(int width, int height) = 0;

    // Rectangle (x, y, width, height) row by row, width * height cells.
    virtual void ReadCells(int x, int y, int width, int height, Cell* cells) const = 0;
    virtual void WriteCells(int x, int y, int width, int height, const Cell* cells) = 0;

    // Runs of n cells starting at (x, y): characters only / attributes only.
    virtual void WriteChars(int x, int y, const uint8_t* chars, int n) = 0;
    virtual void WriteAttributes(int x, int y, const uint8_t* attrs, int n) = 0;
    virtual void ReadAttributes(int x, int y, uint8_t* attrs, int n) const = 0;
    virtual void FillChars(int x, int y, uint8_t ch, int n) = 0;
    virtual void FillAttributes(int x, int y, uint8_t attr, int n) = 0;

    // Moves the rectangle's content up by lines rows (down when lines < 0);
    // the rows that become free get fill. |lines| >= height clears it.
    virtual void ScrollRect(int x, int y, int width, int height, int lines, Cell fill) = 0;

    // Terminal cursor: position in screen cells, and shape: 0 hidden,
    // otherwise its height in percent of a cell (20 normal, 90 block).
    virtual void SetCursorPosition(int x, int y) = 0;
    virtual void SetCursorShape(int size) = 0;

    // Makes everything written so far visible (no-op for memory displays).
    virtual void Flush() = 0;

    // Text copied in the program (code page 437), for the terminal to put on
    // the desktop's clipboard where it can. Default: kept nowhere.
    virtual void SetClipboard(const uint8_t* text, int n) {
        (void)text;
        (void)n;
    }
};
