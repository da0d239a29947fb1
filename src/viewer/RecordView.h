#pragma once
// The record view: one line per field of the view (selected or not), the
// name right-aligned, ": " and the value, over the viewer's record buffer.
// Three forms share the window (76 wide, centred, as high as the fields, at
// most 18, plus the frame, white on blue):
//
//   form     title                                 keys
//   edit     " Record View "                       Enter edits a value, Alt-H the field's
//                                                  bytes, + / - the next / previous record
//                                                  in view, F10 saves and ends, Esc ends
//                                                  (asking "Save changes?" after a change)
//   insert   " Insert New Record " (white on red)  as edit without + / -; auto-increment
//                                                  fields start at zero so the engine
//                                                  numbers the record
//   totals   " Totals for <n> selected records "   read-only; Esc closes
//
// Saving writes the buffer with Insert or Update (key 0). A refusal shows
// "Error inserting record" / "Error updating record" with the status text
// and the view stays open with the edits; after a refused Update Ctrl-R
// reloads the record as it is now stored (the bottom line says so), for the
// record another program changed or deleted meanwhile.
//
// Values the user types are checked (fields/TypedText.h) before anything is
// stored: a refused text names the field and the editor stays open with it.
// Calculated fields show their value and cannot be edited. Fields of joined
// files show the joined record's values (blank without one) and cannot be
// edited; Alt-H shows their bytes in the joined record, and a change made
// there is refused with kJoinedFieldUnchanged (the joined file is never
// written from here).
//
// After recordView returns, the file's current record is the one shown last
// (the one written, when it was written): the grid puts its cursor there.

#include <cstdint>
#include <vector>

#include "base/Estring.h"

class FieldList;
class FileViewer;

constexpr uint8_t kRecordViewAttribute = 0x1F;
constexpr uint8_t kRecordViewTitleAttribute = 0x1E;
constexpr uint8_t kInsertTitleAttribute = 0x4F;
constexpr int kRecordViewWidth = 76;
constexpr int kRecordViewRows = 18;
// The widest name column; longer names keep their last characters.
constexpr int kMaxNameColumn = 32;
// The value editor reaches at least this column of the line.
constexpr int kValueEditorEnd = 70;

constexpr const char* kRecordViewBottomLine = " ENTER=Edit Field  Esc=Quit  F10=Done  Alt-H=Hex  +/- ";
constexpr const char* kRecordViewReloadHint = " Ctrl-R=Reload ";
constexpr const char* kJoinedFieldUnchanged = "Fields of joined files cannot be changed here";
constexpr const char* kTotalsBottomLine = " ESC=Close ";

// Edits (inserting false) or inserts (true) the record in viewer's record
// buffer; true when a record was written. totalsCount != 0 shows the buffer's
// fields read-only under the totals title instead (see showTotals).
bool recordView(FileViewer& viewer, bool inserting, long long totalsCount);

// The totals form for a totals run: one line per totalled field, each a name
// and the total as text; count is the number of records totalled.
struct TotalLine {
    Estring name;
    Estring value;
};
void showTotals(long long count, const std::vector<TotalLine>& totals);

// Width of the name column for these names: one more than the longest, at most kMaxNameColumn.
int NameColumnWidth(const std::vector<Estring>& names);
// One field line: name right-aligned in nameColumn (its last characters when longer), ": ", value.
Estring FieldLineText(const Estring& name, int nameColumn, const Estring& value);

// The data length Insert and Update send for record (bufferLength bytes):
// the furthest end of any field of the file itself, whatever the order of
// the view's columns (calculated and joined fields skipped; a Note ends
// after its zero-terminated text), but never less than the file's fixed
// record length, so that bytes the dictionary does not describe are kept;
// for a variable-length file whose furthest field is not a Note, never less
// than readLength either (the length of the record as it was read), so that
// a tail the dictionary does not describe survives. At most bufferLength.
int RecordSaveLength(const FieldList& fields, const uint8_t* record, int bufferLength, bool variableLength,
                     int fixedLength, int readLength);
