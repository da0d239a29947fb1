#pragma once
// Bulk operations of the grid over every record in view (those the key range
// and the filter accept, fetched with the viewer's first-in-view and
// next-in-view, so a long skip shows the Searching popup and Esc there ends
// the scan): delete all, modify all and totals.
//
// Each command has two halves. The run (DeleteAllRecords, ModifyAllRecords,
// TotalRecords) does the work and talks to its user only through a
// BulkControl, so tests and other front ends drive it without windows of
// their own. The command (deleteAllInView, modifyAllInView, totalsInView)
// is the dialog in front of it, with the counter window of BulkProgress.
//
// Writes go in engine transactions of kBulkBatchSize records; the batch is
// committed before any question is put to the user and at the end, so a run
// that is stopped keeps every record done so far, and one that is killed
// keeps every batch committed before (at most one batch is lost).
//
// Modify all changes each record once: Update with key number -1 leaves the
// scan where it was, and a record whose key the formulas moved further on
// in the index would be met again; the positions written in the run are
// remembered and such a record is passed over.

#include <memory>
#include <vector>

#include "base/Estring.h"
#include "fields/Variant.h"

class FieldAttributes;
class FileViewer;

constexpr int kBulkBatchSize = 1000;

// What a run reports to its user and asks of them.
class BulkControl {
public:
    virtual ~BulkControl() = default;
    // The count so far, after every record.
    virtual void Counted(long long count) = 0;
    // After every record: true when the user asked to stop (Esc seen).
    virtual bool StopRequested() = 0;
    // The stop question; true to stop. Nothing is held open while it is asked.
    virtual bool ConfirmStop() = 0;
    // The engine refused a write (words: "Error updating record", ...);
    // true to go on with the next record, false to stop.
    virtual bool WriteRefused(const Estring& words, int status) = 0;
};

struct BulkResult {
    long long done = 0;     // records deleted or written
    long long refused = 0;  // writes the engine refused
    long long passedOver = 0;  // records met again after their key moved (modify all)
    bool stopped = false;   // the user stopped the run
    int endStatus = 0;      // status that ended the scan (9: end of the view)
    int commitStatus = 0;   // first failing End Transaction, 0 when none
};

// Deletes every record in view. A Delete the engine refuses is not counted;
// the first refusal asks WriteRefused ("Error deleting record"), later ones
// are only counted (refused), unless the first answer was to stop.
BulkResult DeleteAllRecords(FileViewer& viewer, BulkControl& control);

// One field's formula for modify all; empty text leaves the field unchanged.
struct FieldFormula {
    const FieldAttributes* field = nullptr;
    Estring text;
};

// For every record in view: the formulas in order on the record buffer (a
// field changed by an earlier formula is seen by later ones; a formula that
// fails, or a value the field cannot hold, leaves the field as it was), then
// Update with key number -1. Each formula is compiled once for the run. A
// refused Update asks WriteRefused("Error updating record", status). On a
// variable-length file a note may grow up to its field's length, and each
// record is written with the length of its fields as they now are.
BulkResult ModifyAllRecords(FileViewer& viewer, const std::vector<FieldFormula>& formulas, BulkControl& control);

// The fields of the file itself, in list order up to the first calculated
// or joined field: the ones modify all can change.
std::vector<const FieldAttributes*> ModifiableFields(const FileViewer& viewer);

// Checks formula for field on record: empty errorText when it evaluates and
// its value can be stored into the field; otherwise the formula's message or
// "Incompatible expression type".
void CheckFieldFormula(FileViewer& viewer, const FieldAttributes& field, const Estring& formula, Estring& errorText);

// Totals of the numeric fields of the view over the records in view.
// Its text is the plain form the field's own values have: Currency with its
// four places, Decimal with the field's places, Float and BFloat in general
// form at the precision of their length unless the user gave the field
// decimal places, whole numbers without places; a calculated field with its
// decimal places (general form when it has none).
struct FieldTotal {
    int fieldIndex = 0;  // in the viewer's field list
    Estring name;
    Variant total;
    uint8_t type = 0;    // the field's type code
    int length = 0;      // the field's length in bytes
    int decimals = 0;    // the field's decimal places
    Estring Text() const;
};
struct ViewTotals {
    long long count = 0;
    std::vector<FieldTotal> fields;
    bool cancelled = false;  // OK to the stop question: nothing to show
    int endStatus = 0;       // 9 when the scan reached the end of the view
    bool Complete() const { return !cancelled && endStatus == 9; }
};

// Adds up, for every field of a numeric type and every calculated field
// whose values are numbers, the values of the records in view. A
// calculated field that gives anything but a number (on the record in the
// buffer before the scan, or on any record of it) is left out.
ViewTotals TotalRecords(FileViewer& viewer, BulkControl& control);

// Where the totals are shown instead of the record view's totals form, the
// one used when none is installed on the viewer.
class TotalsDisplay {
public:
    virtual ~TotalsDisplay() = default;
    virtual void ShowTotals(FileViewer& viewer, const ViewTotals& totals) = 0;
};

// The title and the lines the totals are shown with.
Estring TotalsTitle(const ViewTotals& totals);
std::vector<Estring> TotalsLines(const ViewTotals& totals);

// The commands of the grid. The two that return bool answer true when
// records may have changed, so the caller refreshes the page. A scan the
// engine broke off with an error (anything but the end of the view) is
// reported: "Error getting record" for delete and modify all, "Error
// totaling records" (and no totals) for totals.
bool deleteAllInView(FileViewer& viewer);
bool modifyAllInView(FileViewer& viewer);
void totalsInView(FileViewer& viewer);
