#pragma once
// View: what a browser view of one open file consists of, as saving,
// loading, export and the view cursor see it. The owner of the view (the
// browser, or qdxutil) owns every object referred to here.

#include <vector>

#include "base/Estring.h"
#include "viewfile/KeyRange.h"
#include "viewfile/ViewDefinition.h"
#include "viewfile/ViewFile.h"

class BtrieveFile;
class FieldList;

// How a view gets its joins: implemented by the browser's join list, which
// owns the joined files. Joined fields reach their records through
// fields/FieldJoin.h; this interface only makes and removes joins.
class ViewJoiner {
public:
    virtual ~ViewJoiner() = default;
    // Opens the joined table's file and appends the join's fields ("name.field",
    // not selected) to fields. False when the table or the file cannot be
    // found or opened: the join is then skipped.
    virtual bool AddJoin(const JoinDescription& join, FieldList& fields) = 0;
    // Removes every join and its fields from fields.
    virtual void RemoveJoins(FieldList& fields) = 0;
    // The joins now in force, in list order.
    virtual std::vector<JoinDescription> Joins() const = 0;
};

struct View {
    BtrieveFile* file = nullptr;     // the open data file
    FieldList* fields = nullptr;     // the view's fields in display order
    // Index n's segments (a copy of each segment's field whose offset is its
    // offset in the key), null or empty when index n is not defined.
    std::vector<const FieldList*> indexes;
    Estring tableName;               // the table's dictionary name
    int keyNumber = -1;              // -1: physical order
    KeyRange range;                  // on keyNumber's segments
    Estring filterText;              // empty: every record
    ViewJoiner* joiner = nullptr;    // null: the view has no joins and cannot make any

    // keyNumber's segments, or null in physical order or for an index that is not defined.
    const FieldList* Segments() const { return SegmentsOf(keyNumber); }
    const FieldList* SegmentsOf(int key) const;
};

// The view's state as a view file saves it: every field that differs from
// its defaults, the joins (from the joiner), the index, filter and range.
ViewDefinition describeView(const View& view);

// Applies a definition read for this view's table. Everything that can fail
// is checked first: an index the table does not define, or joins when the
// view has no joiner, give "Incompatible view file" (and the reason on the
// second line) with the view untouched. Then the joins and the calculated
// fields at the end of the field list are removed, the sections applied in
// order (a field section for a field the view lacks is skipped, and so is a
// join that cannot be opened, with everything it held), and the index,
// filter and range set. The caller refreshes what it shows afterwards.
bool applyView(const ViewDefinition& definition, View& view, ViewFileMessage& message);
