#pragma once
// Export: the records of a view written as CSV, SAV or TXT (see
// ExportLines.h for the lines) to a file or any other sink.
//
// The records are those of a ViewCursor (in view only, or every record of
// the file in the view's order); the fields those of the view (selected only,
// or all). Progress is reported before every tenth record (0, 10, 20, ...);
// after each record the control may stop the export, keeping what was
// written.

#include <cstddef>
#include <cstdint>

#include "base/Estring.h"

struct View;

enum class ExportFormat { kCsv = 0, kSav = 1, kTxt = 2 };

struct ExportOptions {
    ExportFormat format = ExportFormat::kCsv;
    bool selectedFieldsOnly = true;
    bool fieldNameHeading = true;   // CSV and TXT
    bool selectedRecordsOnly = true;
};

// Where the bytes go. Write returns 0 or an error number.
class ExportSink {
public:
    virtual ~ExportSink() = default;
    virtual int Write(const char* bytes, size_t n) = 0;
};

// What the user interface does during an export: shows the count and says
// whether to stop (after Esc and "Cancel export?", for the dialog).
class ExportControl {
public:
    virtual ~ExportControl() = default;
    virtual void Progress(long long exported) { (void)exported; }
    // Asked after every record; true ends the export (no error).
    virtual bool StopRequested() { return false; }
};

struct ExportResult {
    long long exported = 0;
    int readStatus = 0;     // last engine status of the fetch: 0 or 9 is a normal end
    bool stopped = false;   // the control ended it
    int writeError = 0;     // an error number from the sink; the export ended there
    Estring filterError;    // the filter's first failure, when it had one

    bool ReadFailed() const { return readStatus != 0 && readStatus != 9 && !stopped; }
};

// Writes the view. Returns the result; a read error ends the export with the
// lines already written kept.
ExportResult exportRecords(View& view, const ExportOptions& options, ExportSink& sink,
                           ExportControl* control = nullptr);

// The name the dialog writes: fileName with ".csv", ".sav" or ".txt" (by
// format) appended when it contains no ".".
Estring exportFileName(const Estring& fileName, ExportFormat format);

// Creates path (an existing file is replaced) and exports into it. False
// with first = "Error creating export file" and second = path + ": " + the
// system's reason when it cannot be created, or "Error writing export file"
// when a write fails; a read error gives "Error occurred reading records"
// and the engine status text. result is filled in every case.
bool exportToFile(View& view, const Estring& path, const ExportOptions& options, ExportControl* control,
                  ExportResult& result, Estring& first, Estring& second);
