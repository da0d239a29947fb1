#pragma once
// ViewCursor: walks the records of a view in its order, either every record
// of the file (Get First / Get Next on the view's index, Step First / Step
// Next in physical order) or only those in view: inside the key range
// (seeded with Get Greater or Equal from its lower key, ended at the first
// key past its upper one) and accepted by the filter.
//
// The filter is compiled once, when the cursor is made, against the view's
// fields; a record for which it fails or gives no logical value is not in
// view. Joined and calculated fields are read through the view's FieldList
// like any other.
//
// States: before First -> on a record (status 0) -> ended (9 or an error).
// The record buffer is the file's record length, or 32768 bytes for files
// of variable-length records; before every fetch the bytes the last record
// used are cleared and the data length reset to the buffer size.

#include <cstdint>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "base/Estring.h"
#include "engine/Contract.h"
#include "viewfile/KeyRange.h"

class BtrieveFile;
class Expression;
struct View;

class ViewCursor {
public:
    static constexpr int kStatusEndOfFile = qdx::wire::kEndOfFile;
    // Not an engine status: the scan callback asked to stop.
    static constexpr int kStatusStopped = -1;
    static constexpr int kVariableRecordBuffer = static_cast<int>(qdx::wire::kMaxRecordLength);
    // Records passed over (out of range or refused by the filter) between two
    // calls of the scan callback.
    static constexpr int kScanReportInterval = 100;

    // inViewOnly: apply the key range and the filter. The view must outlive the cursor.
    ViewCursor(View& view, bool inViewOnly);
    ~ViewCursor();
    ViewCursor(const ViewCursor&) = delete;
    ViewCursor& operator=(const ViewCursor&) = delete;

    // Called with the number of records passed over while looking for the
    // next one in view; false stops the search with kStatusStopped.
    void SetScanCallback(std::function<bool(long long passedOver)> callback) { scanCallback = std::move(callback); }

    // Fetch the first / next record; 0 with the record in Record(), 9 at the
    // end, else the engine status (or kStatusStopped).
    int First();
    int Next();

    const uint8_t* Record() const { return record.data(); }
    uint8_t* Record() { return record.data(); }
    int Length() const { return length; }
    int BufferSize() const { return static_cast<int>(record.size()); }
    // The key of the record read (key order only).
    const uint8_t* Key() const { return key.data(); }

    // The filter's first failure message (parse or evaluation), empty when none.
    const Estring& FilterError() const { return filterError; }

private:
    int Fetch(bool first);
    int Seek(bool first);
    bool Accept();

    View& view;
    BtrieveFile& file;
    bool inViewOnly;
    std::vector<uint8_t> record;
    std::array<uint8_t, kRangeKeySize + 1> key{};
    int length = 0;
    int used = 0;  // bytes of the buffer the engine may have written
    std::unique_ptr<Expression> filter;
    Estring filterError;
    std::function<bool(long long)> scanCallback;
};

// The size of a record buffer for file: its record length, or 32768 for
// variable-length records (file flags bit 0).
int recordBufferSize(BtrieveFile& file);
