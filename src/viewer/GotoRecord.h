#pragma once
// Go to a record by key (the grid's Alt-G): the Goto Record dialog with an
// entry per segment of the current index and five search modes, and the
// search itself, which a test can call without the dialog.
//
// The key: each segment's entry converted into the segment's place in a
// 255-byte key image; an empty entry gives the start of that segment's
// order (the lowest value of an ascending segment, the highest of a
// descending one), so that empty entries with Greater/Equal find the first
// record in view.
//
// The searches are the viewer's go-to searches (they skip what the range
// and the filter reject); Equal reads Get Equal once, and a record found
// that the view does not accept is refused with kGotoOutsideView.

#include <cstdint>
#include <vector>

#include "base/Estring.h"

class FieldList;
class FileViewer;

enum GotoMode { kGotoGreaterOrEqual = 0, kGotoLessOrEqual = 1, kGotoEqual = 2, kGotoGreater = 3, kGotoLess = 4 };

// FindGotoRecord's answer for an Equal record outside the view.
constexpr int kGotoOutsideView = -1;

// Builds the key image (255 bytes) of segments from the entry texts. False
// with badField naming the first segment whose text is not a value of its type.
bool BuildGotoKey(const FieldList& segments, const std::vector<Estring>& entries, uint8_t* key, Estring& badField);

// Searches the viewer's file by mode from key. 0 when a record was found
// (the viewer's keyBuffer then holds its key as the engine returned it),
// kGotoOutsideView, or the engine status.
int FindGotoRecord(FileViewer& viewer, int mode, const uint8_t* key);

// The dialog; only when an index is in use. True when the grid moved (the
// found record's key made the top row with seekTo, the cursor on it).
bool gotoRecord(FileViewer& viewer);
