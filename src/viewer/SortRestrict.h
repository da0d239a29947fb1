#pragma once
// Sort order and restriction of the grid: the Choose Index and Details for
// Index dialogs, the Restrict Records dialog that sets the key range of the
// current index and the filter formula, and the filter's check.
//
// The range lives in the viewer's rangeFrom / rangeTo key images: each
// segment's bound at the segment's place in the key, encoded as its type
// encodes it in a record; a segment without a bound holds its type's lowest
// value in rangeFrom and highest in rangeTo (swapped for a descending
// segment), so the images also seed the engine's Get Greater or Equal and
// Get Less or Equal.

#include <vector>

#include "base/Estring.h"

class BtrieveFile;
class DictionaryDef;
class FileViewer;

// Returned by chooseIndex when the user cancelled.
constexpr int kIndexCancelled = -2;

// The Choose Index list: "    Unsorted", then one line per key number.
std::vector<Estring> IndexChoiceLines(const DictionaryDef& table);

// The dialog, starting on currentKey (-1: physical order). Returns
// kIndexCancelled, -1 for physical order, or the chosen key number.
// Insert creates an index and Delete drops one; the table's index
// definitions are then read again from file. viewKey (may be null) is the
// key the grid uses: it follows a renumbering drop, becomes -1 when its
// index is dropped, and its segments keep their bound flags.
int chooseIndex(DictionaryDef& table, BtrieveFile& file, int currentKey, int* viewKey = nullptr);

// The text lines of the Details for Index dialog (line 0 first; line 3 empty).
std::vector<Estring> IndexDetailLines(const DictionaryDef& table, int keyNumber);
void showIndexDetails(const DictionaryDef& table, int keyNumber);

// The Restrict Records dialog; true when confirmed with OK (the filter and
// the range are then set and the page restarted).
bool restrictRecords(FileViewer& viewer);

// Evaluates the viewer's filterText, read afresh, on the record in its
// record buffer. errorText receives the failure, empty when there is none.
bool evaluateFilter(FileViewer& viewer, Estring& errorText);

// Why bound texts (as for BuildRange) cannot restrict index keyNumber.
enum class RangeFault {
    kNone,
    kBadValue,    // a text that is not a value of its segment's type
    kFromAfterTo  // From lies after To in the index order: the range holds no key
};
// Checks the bounds without changing anything; badField names the segment at fault.
RangeFault CheckRange(const DictionaryDef& table, int keyNumber, const std::vector<Estring>& from,
                      const std::vector<Estring>& to, Estring& badField);

// Builds the key images of index keyNumber from bound texts (one pair per
// segment, empty for none), setting the segments' hasFrom / hasTo. False
// with badField naming the first segment whose text is not a value of its
// type (as the record view checks a typed value); then nothing is changed.
// Bounds out of order are built as given (a range that holds nothing).
// The other indexes' bound flags are cleared: the images no longer hold them.
bool BuildRange(DictionaryDef& table, int keyNumber, const std::vector<Estring>& from,
                const std::vector<Estring>& to, uint8_t* rangeFrom, uint8_t* rangeTo, bool& active,
                Estring& badField);
