#pragma once
// ViewDefinition: a saved view as plain data, the way a view file holds it.
// It names things (table, index number, fields, joined tables) and keeps the
// key range as the segments' texts; nothing in it points into an open file,
// so it can be read and checked completely before a view is changed.

#include <vector>

#include "base/Estring.h"

// One join of a view: the key of index `index` of the joined table is built
// from one formula per segment over the viewed record.
struct JoinDescription {
    Estring name;            // prefixes the joined fields ("name.field")
    Estring dictionaryName;  // the joined table's dictionary name
    Estring location;        // the joined file's path as its file holds it
    int index = 0;           // key number of the joined file used for the lookup
    std::vector<Estring> values;  // one formula per segment, in segment order
};

// The settings of one field that differ from the defaults. `calculated`
// sections create the field; others refer to a field the view already has
// (a table field or a joined one) by name.
struct FieldSection {
    Estring name;
    bool calculated = false;
    bool hasWidth = false;
    int width = 0;
    bool hasDecimals = false;
    int decimals = 2;
    bool hasEnabled = false;
    bool enabled = true;
    bool hasFormula = false;
    Estring formula;
};

// Joins and field sections in file order: a field section may name a field
// of a join listed before it.
struct ViewSection {
    bool isJoin = false;
    JoinDescription join;   // when isJoin
    FieldSection field;     // otherwise
};

struct ViewDefinition {
    Estring dictionaryName;  // the table's name; a view only applies to that table
    bool hasIndex = false;
    int index = -1;          // key number, -1 for physical order
    Estring filter;          // empty: no filter
    // Key range: one text per segment of the index (plain form, as typed),
    // empty when that segment has no bound on that side. rangeActive is set
    // when the file gave a range at all.
    bool rangeActive = false;
    bool hasRangeMin = false;
    bool hasRangeMax = false;
    std::vector<Estring> rangeMin;
    std::vector<Estring> rangeMax;
    std::vector<ViewSection> sections;
};
