#pragma once
// Creating and dropping supplemental indexes from the Choose Index dialog:
// the Create Index dialog (Insert) and the drop question (Delete). The key
// specification and the engine calls are in admin/KeySpecification.h.

#include <vector>

#include "base/Estring.h"

class BtrieveFile;
class DictionaryDef;
struct IndexSegment;

// The Create Index dialog over the table's fields (calculated ones left
// out). True when an index was created; the caller reads the table's index
// definitions again.
bool createIndex(DictionaryDef& table, BtrieveFile& file);

// The drop question for keyNumber; true when the index was dropped.
// renumbered tells whether the indexes above moved down by one.
bool dropIndex(BtrieveFile& file, int keyNumber, bool& renumbered);
bool dropIndex(BtrieveFile& file, int keyNumber);

// One line of the Index Fields list: the name in 23 columns, the case letter
// ("I", "S", or a blank for fields that are not text), a blank and the
// direction letter ("A", "D").
Estring SegmentLine(const IndexSegment& segment);
