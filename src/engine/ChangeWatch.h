#pragma once
// Tells, at the cost of one memory read, whether any connection (of any
// process) has committed to a file in WAL mode since a given moment: SQLite
// keeps the log's index in the shared-memory file beside the database, and
// its header carries a counter that every commit (and every restart of the
// log) moves on. The header layout is SQLite's documented WAL-index format:
//   OFFSET  WIDTH  MEANING
//   0       48     header, first copy (the one written last by a writer)
//   8       4      iChange, moved on by every transaction
//   16      4      mxFrame, the last valid frame of the log
//   48      48     header, second copy
// A read statement left open between calls keeps its snapshot; the cursor
// compares the mark taken before the statement started with the current one
// and seeks again when they differ, so a read never returns a record whose
// delete was committed before the read began.

#include <cstdint>

struct sqlite3;

namespace qdx::engine {

class ChangeWatch {
public:
    // Finds the log index of the connection's main database, which must be
    // in WAL mode and have read it. Without one (rollback journal, a file
    // read as immutable) the watch is not valid: callers must not keep read
    // statements open between calls. The region stays SQLite's: detach
    // before the connection closes or leaves WAL mode.
    void attach(sqlite3* db);
    void detach() { header_ = nullptr; }
    bool valid() const { return header_ != nullptr; }

    // The current mark; only meaningful while valid().
    uint64_t mark() const {
        const volatile uint32_t* h = header_;
        return (uint64_t(h[2]) << 32) | h[4];
    }

private:
    const volatile uint32_t* header_ = nullptr;
};

}  // namespace qdx::engine
