#pragma once
// The counts Stat reports, kept in the file so that Stat (which the program
// calls on every open) reads one small table instead of passing over every
// index; and the next record position, which never decreases, so that a
// deleted record's position is never given to another record.
//
// Table qdx_count(id INTEGER PRIMARY KEY, n INTEGER NOT NULL), one page:
//   ID      N
//   0       number of records
//   -1      next record position (absent: the highest position + 1)
//   t > 0   number of distinct values in the index table qdx_k<t>
//
// EngineFile loads the counters when it starts a SQLite write transaction,
// changes them in memory with every write, and stores the changed ones just
// before COMMIT: they change in the same transaction as the data they count,
// so a killed writer leaves them right.

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/FileSpec.h"
#include "engine/SqliteStatement.h"
#include "engine/Status.h"

namespace qdx::engine {

constexpr int64_t kCounterRecords = 0;
constexpr int64_t kCounterNextPosition = -1;

struct FileCounters {
    int64_t records = 0;
    int64_t nextPosition = 1;
    std::vector<std::pair<int64_t, int64_t>> unique;  // (index table id, distinct values)

    // The count of an index table, added as zero when missing.
    int64_t& uniqueFor(int64_t tableId);
    void dropUnique(int64_t tableId);
    // Stat's numbers: records, and one count per key of spec in its order.
    void report(const FileSpec& spec, uint32_t* recordCount, std::vector<uint32_t>& uniqueCounts) const;
};

// Reads and writes qdx_count through statements kept prepared on one
// connection. Call reset() when the schema of the file changed.
class CounterStore {
public:
    Status load(sqlite3* db, FileCounters& out);
    // Writes the counters that differ from `stored` (as loaded) and deletes
    // the rows of index tables no longer counted.
    Status save(sqlite3* db, const FileCounters& now, const FileCounters& stored);
    void reset();

    // Counts records and distinct values from the tables themselves: for
    // files of a format without counters, and to build them.
    static Status Count(sqlite3* db, const FileSpec& spec, FileCounters& out);
    // The SQL that creates the table.
    static const char* Schema();

private:
    Statement select_, upsert_, erase_, highest_;
};

}  // namespace qdx::engine
