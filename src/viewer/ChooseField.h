#pragma once
// The "Choose Field" pick list: the fields of a list with their types, for
// inserting a field name into a formula.

#include "base/Estring.h"

class FieldList;

// The list's line for field i: the name left-aligned in 42 columns, then its type description.
Estring ChooseFieldLine(const FieldList& fields, int i);

// Shows the list; true with the chosen name in name, false on Esc or an empty list.
bool chooseField(const FieldList& fields, Estring& name);

// Inserts text into a string field's text at its cursor, the cursor moving behind it.
class Dialog;
void InsertAtCursor(Dialog& dialog, int fieldIndex, const Estring& text);
