#include "engine/WriteTransaction.h"

namespace qdx::engine {

int WriteTransaction::prepared(sqlite3* db, Statement& s, const char* sql) {
    return s.valid() ? SQLITE_OK : s.prepare(db, sql);
}

int WriteTransaction::begin(sqlite3* db, bool savepoint) {
    savepointOpen_ = false;
    int rc;
    if (!callerActive_ || !joined_) {
        if ((rc = prepared(db, begin_, "BEGIN IMMEDIATE")) != SQLITE_OK) return rc;
        if ((rc = begin_.run()) != SQLITE_DONE) return rc;
        if (!callerActive_) return SQLITE_OK;
        joined_ = true;
    }
    if (!savepoint) return SQLITE_OK;
    savepointOpen_ = true;
    if ((rc = prepared(db, savepoint_, "SAVEPOINT op")) != SQLITE_OK) return rc;
    return (rc = savepoint_.run()) == SQLITE_DONE ? SQLITE_OK : rc;
}

void WriteTransaction::endOperation(sqlite3* db, bool failed) {
    if (failed && savepointOpen_ && prepared(db, rollbackTo_, "ROLLBACK TO op") == SQLITE_OK)
        rollbackTo_.run();
    if (savepointOpen_ && prepared(db, release_, "RELEASE op") == SQLITE_OK) release_.run();
    savepointOpen_ = false;
}

int WriteTransaction::commit(sqlite3* db) {
    const int rc = prepared(db, commit_, "COMMIT");
    return rc == SQLITE_OK ? commit_.run() : rc;
}

void WriteTransaction::rollback(sqlite3* db) {
    if (!sqlite3_get_autocommit(db) && prepared(db, rollback_, "ROLLBACK") == SQLITE_OK) rollback_.run();
}

}  // namespace qdx::engine
