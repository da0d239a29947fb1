#pragma once
// The SQLite transaction of one engine file's connection. Outside a caller's
// transaction every write operation is one SQLite transaction (BEGIN
// IMMEDIATE ... COMMIT). Inside one, the file joins it at its first write and
// each operation is the savepoint "op" (unless it undoes its own partial
// work), so a refused operation leaves the rest of the transaction intact.
// When SQLite itself gives the transaction up (disk full, I/O error) it is
// lost: later writes are refused and End reports it.
//
// What a write does besides (counters, damage, the file's specification) is
// EngineFile's; this class only keeps SQLite's side in step.

#include <sqlite3.h>

#include "engine/SqliteStatement.h"
#include "engine/Status.h"

namespace qdx::engine {

class WriteTransaction {
public:
    // Whether the caller has a transaction open (Begin Transaction).
    void setCallerActive(bool active) { callerActive_ = active; }
    bool callerActive() const { return callerActive_; }
    // Whether this file has joined the caller's transaction.
    bool joined() const { return joined_; }

    // The status that made SQLite give up the caller's transaction; 0 while
    // it holds.
    Status lost() const { return lost_; }
    void markLost(Status status) {
        joined_ = false;
        lost_ = status;
    }
    void clearLost() { lost_ = kOk; }

    // Starts one write operation. SQLITE_OK, or the SQLite code that failed.
    int begin(sqlite3* db, bool savepoint);
    // Inside the caller's transaction: closes the operation's savepoint,
    // undoing the operation first when it failed.
    void endOperation(sqlite3* db, bool failed);
    // Outside: commits the operation. SQLITE_DONE, or the code that failed.
    int commit(sqlite3* db);
    // Rolls back what SQLite still has open (nothing when it gave it up).
    void rollback(sqlite3* db);
    // End or Abort: leaves the caller's transaction; whether it was joined.
    bool leave() {
        const bool was = joined_;
        joined_ = false;
        return was;
    }

private:
    // SQLITE_OK once s is prepared.
    static int prepared(sqlite3* db, Statement& s, const char* sql);

    Statement begin_, commit_, rollback_, savepoint_, release_, rollbackTo_;
    bool callerActive_ = false;
    bool joined_ = false;
    bool savepointOpen_ = false;
    Status lost_ = kOk;
};

}  // namespace qdx::engine
