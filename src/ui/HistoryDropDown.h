#pragma once
// The drop-down of a text field's history: a framed window below the field
// (above it when there is no room below), as wide as the field plus its
// frame, listing history list `history` (most recent last, and current).
// Up, Down, Page Up, Page Down, Home, End and the mouse move through it;
// Enter or a double click chooses, Esc or a click outside leaves.

#include "base/Estring.h"

class Dialog;

// The field is at (x, y) in owner's coordinates, width cells wide. True with
// the chosen entry in chosen; false when the list is empty or nothing was chosen.
bool ChooseFromHistory(Dialog& owner, int x, int y, int width, int history, Estring& chosen);
