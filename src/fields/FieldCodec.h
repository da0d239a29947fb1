#pragma once
// The record codec: field bytes <-> text for every engine data type, the
// lowest and highest values of a type, field comparison, type names and
// default column widths.
//
// Bounds: every function is given the record buffer and its length in
// bytes. A field that does not lie wholly inside the record (offset +
// length > recordLength) is read and written only in the part that lies
// inside it for the text types (String, LString, ZString, Note) and is not
// convertible for every other type; nothing outside record[0 ..
// recordLength) is ever read or written. A joined field uses its join's
// record and that record's length instead.
//
// Not convertible means: FieldToText gives empty text (padded to the width in
// display form), FieldFromText fails, SetFieldLowest/Highest write nothing
// and CompareField answers "equal".

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Estring.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldTypes.h"

// The field's value as text. Display form (grid rows, fixed-width export)
// aligns the text to the field's width: w >= 0 right-aligned in exactly w
// characters (a longer text keeps its rightmost w), w < 0 left-aligned in -w
// (a longer text keeps its leftmost -w); numbers carry a trailing sign place.
// Plain form (editing, view files, formulas, CSV) is the bare text. A
// calculated field asks the owner list's FormulaEvaluator; without one, or
// when it fails, the text is "** Error **".
Estring FieldToText(const FieldAttributes& field, const uint8_t* record, int recordLength, bool displayForm);
// FieldToText's text appended to buffer, with the locale's date order read
// once by the caller (LocaleDateOrder; empty reads it here): writers of many
// records make no string per field.
void AppendFieldText(std::string& buffer, const FieldAttributes& field, const uint8_t* record, int recordLength,
                     bool displayForm, std::string_view dateOrder);

// Widest column the codec lays out: the widest default, that of a packed
// decimal of 65535 bytes (2 x 65535 + 2). Wider settings (a hand-edited view
// file) are taken as this width.
constexpr int kMaxDisplayWidth = 131072;

// Display-form alignment: width >= 0 right-aligns text in exactly width
// characters keeping the rightmost ones of a longer text; width < 0
// left-aligns it in -width characters keeping the leftmost ones. |width| is
// limited to kMaxDisplayWidth.
Estring AlignToWidth(const Estring& text, int width);

// Stores text (as typed) into the field. False when the text cannot be
// stored (too long, out of range, a type that is not converted); the field is
// then unchanged. A joined field without a joined record: true, nothing written.
bool FieldFromText(const FieldAttributes& field, uint8_t* record, int recordLength, std::string_view text);

// Write the lowest / highest value of the field's type (key range ends).
void SetFieldLowest(const FieldAttributes& field, uint8_t* record, int recordLength);
void SetFieldHighest(const FieldAttributes& field, uint8_t* record, int recordLength);

// Orders the field's value in recordA before (<0), with (0) or after (>0) its
// value in recordB. Numbers give -1, 0, +1; texts the difference of the first
// differing bytes (through the owner list's alternate collating sequence when
// the field's flags ask for it, or with A-Z folded for case-insensitive
// fields). Joined fields cannot be compared and give 0.
int CompareField(const FieldAttributes& field, const uint8_t* recordA, int lengthA, const uint8_t* recordB,
                 int lengthB);

// "Integer(4)" for engine types, "Calculated" for 255, "Unknown type" otherwise.
Estring DataTypeDescription(const FieldAttributes& field);
// The type's name ("Unsigned Integer"), "Calculated" or "Unknown type".
const char* DataTypeName(uint8_t type);

// The width a field gets when it enters a view: the type's default width,
// widened to the length of its heading (the longer part of a "join.field"
// name), keeping the default's sign (0 counts as right-aligned).
int DefaultDisplayWidth(const FieldAttributes& field);

// Microsoft Binary Format <-> IEEE. MBF single: 4 bytes, exponent in byte 3,
// sign in the top bit of byte 2. MBF double: 8 bytes, exponent in byte 7,
// sign in the top bit of byte 6. An exponent byte of 0 is zero. Values too
// large for MBF store the largest MBF magnitude; values too small store 0.
double MbfSingleToDouble(const uint8_t* p);
double MbfDoubleToDouble(const uint8_t* p);
void DoubleToMbfSingle(double value, uint8_t* p);
void DoubleToMbfDouble(double value, uint8_t* p);
