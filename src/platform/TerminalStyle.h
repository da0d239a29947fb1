#pragma once
// How a console attribute byte is shown on a terminal, by colour capability.
//
//   Full16:     16 foreground and 16 background colours (bright backgrounds
//               included), one colour pair per attribute: 1 + bg * 16 + fg.
//   Basic8:     8 colours; a bright foreground is drawn bold, dark grey on
//               black as dim light grey; a bright background loses its
//               brightness. Pair bg * 8 + fg (never 0).
//   Monochrome: NO_COLOR or a terminal without colours. Light grey (and
//               bright white) backgrounds, the dialogs, and black backgrounds
//               with visible text, the cursor rows of lists, are drawn in
//               reverse video, so that what stands out in colour stands out
//               here too; bright text is bold and dark grey dim.
// Text in its own background colour is invisible: it is drawn as blanks.

#include <cstdint>

enum class ColourMode { Monochrome, Basic8, Full16 };

struct CellStyle {
    int foreground;  // terminal colour number (ANSI order), -1 in monochrome
    int background;
    int pair;        // colour pair number, 0 in monochrome
    bool bold;
    bool dim;
    bool reverse;
    bool blankText;  // draw a blank instead of the cell's character
};

CellStyle StyleOf(uint8_t attribute, ColourMode mode);
// The terminal (ANSI) colour number of console colour 0..15.
int AnsiColour(int consoleColour);
