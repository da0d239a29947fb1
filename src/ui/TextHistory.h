#pragma once
// The text history of entry fields: ten process-wide lists of texts (ids 0
// to 9), oldest first, empty at start and kept for the life of the process.
// A field with a history offers its list in a drop-down (Alt-Down) and adds
// its text when its dialog closes with anything but Esc.

#include <vector>

#include "base/Estring.h"

constexpr int kHistoryLists = 10;

// Requires: 0 <= id < kHistoryLists.
std::vector<Estring>& TextHistory(int id);

// Removes every entry equal to text from list id and appends text at its
// end. Nothing for an empty text or an id out of range.
void RecordHistory(int id, const Estring& text);
