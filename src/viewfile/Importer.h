#pragma once
// Import: records inserted into a view's file from a CSV file with a heading
// line or from a SAV record dump.
//
// CSV: the heading's values (at most 1024) name the columns; each is mapped
// to the view's field of that name (A-Z case ignored); columns naming no
// field, or a calculated or joined one, are read and ignored. Every further
// line is one record: a zeroed buffer, then each mapped column's value
// stored with the field codec (text types cut to the field's default width);
// a line with fewer values leaves the rest zero. A variable-length record is
// sent as long as the record editor sends it (FieldList::RecordDataLength):
// up to the end of the last field of the file itself, a Note's text counted
// with its terminating zero, which is how long such records are when they
// are written, so a CSV round trip gives each record its length back. (The
// text alone would leave every imported record a byte short, and measuring
// "text" in a last field that is not a Note would cut its bytes.) UTF-8
// text is taken into the code page (a character the code page lacks refuses
// the record, naming line and column); a UTF-8 byte-order mark at the start
// is skipped. Lines are read whole, however long.
//
// SAV: records of decimal length digits, ",", that many bytes and a line
// end. A length that is not all digits, is empty, or exceeds the record
// buffer, and a record cut short, end the import with an error naming the
// byte offset where the record began.
//
// Inserts run in engine transactions of kBatchSize records; a batch is
// committed before the control is asked anything, so a Skip, Skip All or
// Cancel answered at any time leaves exactly the records inserted so far.

#include <cstdint>

#include "base/Estring.h"

struct View;

enum class ImportDecision { kSkip, kSkipAll, kCancel };

struct ImportProblem {
    long long line = 0;     // CSV: line number (heading = 1); SAV: record number (1 = first)
    int64_t offset = 0;     // byte offset where the record begins
    int status = 0;         // engine status, 0 when the text itself was refused
    Estring first;          // the status text (or what is wrong with the text)
    Estring second;         // "Error inserting record" (or where: column and field)
};

class ImportControl {
public:
    virtual ~ImportControl() = default;
    // After every record: inserted so far, bytes read of the file's size.
    virtual void Progress(long long inserted, int64_t position, int64_t size) {
        (void)inserted, (void)position, (void)size;
    }
    // A quick look for a request to stop (Esc pending).
    virtual bool StopRequested() { return false; }
    // After StopRequested: true stops ("Cancel Import?" answered OK).
    virtual bool ConfirmStop() { return true; }
    // A record refused; not asked again after kSkipAll.
    virtual ImportDecision RecordRefused(const ImportProblem& problem) {
        (void)problem;
        return ImportDecision::kCancel;
    }
};

struct ImportResult {
    bool opened = false;      // the input file opened
    bool cancelled = false;   // Cancel answered to a refused record
    bool stopped = false;     // stopped on request
    long long inserted = 0;
    long long refused = 0;
    Estring error;            // a malformed dump, a read error or a failed commit; the import ended there
    // The import ran (false: not opened, or Cancel in an error box).
    bool Ok() const { return opened && !cancelled; }
};

constexpr int kImportMaxColumns = 1024;
constexpr int kImportBatchSize = 1000;

ImportResult importCsv(View& view, const Estring& path, ImportControl* control = nullptr);
ImportResult importSav(View& view, const Estring& path, ImportControl* control = nullptr);
