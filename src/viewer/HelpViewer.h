#pragma once
// The help viewer: a window 76 columns wide and screen height - 6 high,
// centred, titled " Quarrydex Help ", showing one help page a screenful at a
// time until Esc. Lines that begin with the byte 8 are headings.
//
// Keys: Up one line back, Page Up one page back (both stop at the first
// line), Home the first line; only while the page shown is full: Down one
// line on, Page Down one page on, End the last full page. Others are ignored.

#include <vector>

#include "base/Estring.h"

enum class HelpPage { kViewer = 0, kExpressions = 1, kJoins = 2 };

// The lines of a page (empty for a page this build has no text for).
std::vector<Estring> HelpPageLines(HelpPage page);

// Shows the page until Esc.
void showHelp(HelpPage page);

// The first line shown after key, for a page of count lines showing rows at
// once from line top (the help viewer's key rules, without a screen).
int HelpTopAfterKey(int key, int top, int rows, int count);
