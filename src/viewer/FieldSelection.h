#pragma once
// Field selection of the grid: the Field Selection dialog that chooses the
// columns, and the two dialogs that edit one field, "Field Settings" (width
// and decimal places of a field of the file) and "Add Calculated Field"
// (name, formula, width and decimal places of a calculated field).
//
// The dialogs change the view's FieldList in place and never reorder it;
// new calculated fields go at its end. Formulas are checked against the
// record the caller passes (the grid's current record).

#include <cstdint>

#include "base/Estring.h"

class FieldAttributes;
class FieldList;
class FileViewer;

// The Field Selection line of a field: its name left-aligned in 42 columns,
// its type description in 20, then the absolute display width.
Estring FieldSelectionLine(const FieldAttributes& field);

// "Field Settings": true when confirmed (a width below 2 becomes 2, keeping
// the old width's sign; decimal places are asked for Float and BFloat only).
bool editFieldSettings(FieldAttributes& field);

// "Add Calculated Field" for a calculated field of fields (owner set; in the
// list already or about to be appended). False at once for any other field.
// OK checks the formula on record: a failure shows "Bad formula" and the
// dialog stays open; a name that is empty or already another field's is
// refused the same way. On OK the field takes the name (renamed through its
// list when it is in it), the formula, the width (at least the name's
// length, keeping the sign entered) and the decimal places.
bool editCalculatedField(FieldAttributes& field, const uint8_t* record, int recordLength);

// The Field Selection dialog over fields. F10 applies the marks; Esc keeps
// the old selection, while settings changed with Enter and fields added with
// Insert stay. True when anything the grid shows changed.
bool selectFields(FieldList& fields, const uint8_t* record, int recordLength);

// The same on the viewer's fields and current record (Alt-F in the grid).
bool selectFields(FileViewer& viewer);
