#pragma once
// The clipboard of the text fields: one process-wide text (code page 437).
// Putting text there also hands it to the console display, which passes it
// on to the terminal (and from there, where the terminal allows, to the
// desktop).

#include "base/Estring.h"

class Console;

// The text, handed to console's display (the process-wide console when none
// is named).
void SetClipboardText(Console& console, const Estring& text);
void SetClipboardText(const Estring& text);
const Estring& ClipboardText();

// Text made fit for a one-line field: each line break (CR, LF or CR LF)
// and each tab becomes one blank, other control characters are dropped.
Estring OneLineText(const Estring& text);
