#pragma once
// Emptying a data file by deleting its records inside one engine
// transaction. Unlike creating the file again from its dictionary
// definition, the file keeps everything else: its indexes (also those added
// after the dictionary was written), its page size, its owner name and its
// encryption. A stop or a failure aborts the transaction, so the file is
// either empty or as it was.

#include <cstdint>
#include <functional>

class BtrieveFile;

// Answered by EmptyFileRecords when progress asked to stop.
constexpr int kEmptyingCancelled = -1;

// done and total (the file's record count at the start); false stops.
using EmptyingProgress = std::function<bool(long long done, long long total)>;

// Deletes every record of file (open). Returns 0 when the file is empty, the
// engine status of the failing call, or kEmptyingCancelled.
int EmptyFileRecords(BtrieveFile& file, const EmptyingProgress& progress);

// As EmptyFileRecords with a progress window; Esc asks whether to stop
// (stopped, the file stays unchanged).
int EmptyFileWithProgress(BtrieveFile& file);
