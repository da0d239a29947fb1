#pragma once
// The hex view: a byte editor over a caller's bytes (a whole record buffer
// from the grid, or one field's bytes from the record view), sixteen bytes a
// line, as hex digits on the left and as characters on the right.
//
// Line layout (74 cells, the window's interior):
//   COLUMN  WIDTH  MEANING
//   0       6      offset of the line's first byte, "%04X: "
//   6       51     16 bytes "%02X " with one more blank after bytes 3, 7, 11
//   58      16     the same bytes as characters, a zero byte as "."
//
// Cursor: hex mode, a nibble index 0..31 of the line at column
// 6 + 3 * byte + byte / 4 + nibble; text mode, a byte index 0..15 at column
// 58 + byte. The same byte in the other area shows in kOtherAreaAttribute.
//
// Keys (HexEditor::Key):
//   Tab                      switch areas, staying on the byte
//   Left / Right             one position back / on, across line ends
//   Home / End               start / end of the line
//   Up / Down                one line;  Page Up / Page Down: one page
//   Ctrl-Home / Ctrl-End     first byte / last line
//   hex digit (hex mode)     sets the nibble, one position on
//   code < 256 (text mode)   replaces the byte, one byte on
//   F10                      ends, keeping the changes
//   Esc                      ends; with changes outside the record view
//                            asks "Save changes?" (Discard restores the
//                            bytes as they were, Cancel stays)
// After every key the cursor is pulled back onto the last byte if it went
// beyond it. Other keys are ignored.

#include <cstdint>
#include <vector>

#include "base/Estring.h"

class HexEditor {
public:
    static constexpr int kBytesPerLine = 16;

    enum class Action { kStay, kEnd, kAskToEnd };

    // Edits bytes[0 .. length) in place; a copy is kept for restore().
    // Requires: bytes outlives the editor.
    HexEditor(uint8_t* bytes, int length, int pageLines);

    // One key; what the view should do next.
    Action Key(int key);
    // Puts back the bytes as they were at construction; clears modified.
    void Restore();

    int Lines() const { return (length + kBytesPerLine - 1) / kBytesPerLine; }
    // The text of line (an empty text past the last line).
    Estring LineText(int line) const;
    // Byte index under the cursor (0 when there are no bytes).
    int CursorByte() const { return line * kBytesPerLine + (textMode ? pos : pos / 2); }
    // Column of the cursor within the line's text.
    int CursorColumn() const;
    // Columns of byte b (0..15) in the hex area (first digit) and the text area.
    static int HexColumn(int b) { return 6 + 3 * b + b / 4; }
    static int TextColumn(int b) { return 58 + b; }

    bool modified = false;
    bool textMode = false;
    int line = 0;  // cursor line
    int top = 0;   // first line shown
    int pos = 0;   // nibble (hex mode) or byte (text mode) within the line

private:
    void Clamp();
    void MoveOn();
    void MoveBack();
    int LastPos() const { return textMode ? kBytesPerLine - 1 : 2 * kBytesPerLine - 1; }

    uint8_t* bytes;
    int length;
    int pageLines;
    std::vector<uint8_t> original;
};

// The view (window 76 wide, centred across, from screen line 4, attribute
// 0x3F, titled " title "). True when the bytes were changed and kept.
bool hexView(uint8_t* bytes, int length, const Estring& title, bool insideRecordView);
