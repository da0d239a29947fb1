#include "viewfile/ViewCursor.h"

#include <cstring>

#include "btrieve/BtrieveFile.h"
#include "engine/Contract.h"
#include "expr/Expression.h"
#include "fields/FieldList.h"
#include "fields/Variant.h"
#include "viewfile/View.h"

namespace {
}

int recordBufferSize(BtrieveFile& file) {
    if (file.fileFlags() & qdx::wire::kFileVariable) return ViewCursor::kVariableRecordBuffer;
    int length = file.recordLength();
    return length > 0 ? length : ViewCursor::kVariableRecordBuffer;
}

ViewCursor::ViewCursor(View& v, bool inView) : view(v), file(*v.file), inViewOnly(inView) {
    record.assign(static_cast<size_t>(recordBufferSize(file)), 0);
    if (inViewOnly && !view.filterText.Trim().IsEmpty())
        filter = std::make_unique<Expression>(view.fields, view.filterText);
}

ViewCursor::~ViewCursor() = default;

int ViewCursor::Seek(bool first) {
    if (used > 0) std::memset(record.data(), 0, static_cast<size_t>(used));
    used = static_cast<int>(record.size());
    file.setDataLength(static_cast<uint16_t>(record.size() > 0xFFFF ? 0xFFFF : record.size()));
    int keyNumber = view.Segments() ? view.keyNumber : -1;
    int status;
    if (keyNumber < 0) {
        status = first ? file.stepFirst(record.data(), key.data()) : file.stepNext(record.data(), key.data());
    } else if (first && inViewOnly && view.range.active) {
        std::memcpy(key.data(), view.range.from.data(), kRangeKeySize);
        status = file.getGreaterOrEqual(key.data(), record.data(), keyNumber);
    } else {
        status = first ? file.getFirst(key.data(), record.data(), keyNumber)
                       : file.getNext(key.data(), record.data(), keyNumber);
    }
    length = status == 0 ? file.dataLength() : 0;
    used = status == 0 ? length : 0;
    return status;
}

bool ViewCursor::Accept() {
    if (!filter) return true;
    Variant result;
    if (!filter->Evaluate(record.data(), length, result)) {
        if (filterError.IsEmpty()) filterError = filter->ErrorMessage();
        return false;
    }
    if (!result.IsLogical()) {
        if (filterError.IsEmpty()) filterError = "Result must be a logical value";
        return false;
    }
    return result.logical != 0;
}

int ViewCursor::Fetch(bool first) {
    long long passedOver = 0;
    const FieldList* segments = view.Segments();
    bool ranged = inViewOnly && view.range.active && segments;
    for (bool start = first;; start = false) {
        int status = Seek(start);
        if (status != 0 || !inViewOnly) return status;
        if (ranged) {
            if (view.range.PastEnd(*segments, key.data())) return kStatusEndOfFile;
            if (view.range.Contains(*segments, key.data()) && Accept()) return 0;
        } else if (Accept()) {
            return 0;
        }
        if (++passedOver % kScanReportInterval == 0 && scanCallback && !scanCallback(passedOver))
            return kStatusStopped;
    }
}

int ViewCursor::First() { return Fetch(true); }
int ViewCursor::Next() { return Fetch(false); }
