// The file layer's write bracket (beginWrite / endWrite around every write
// operation) and the caller's transactions (End, Abort): the counters, the
// check before the first write and the specification another process may
// have changed; SQLite's own side is WriteTransaction's.

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "engine/EngineFile.h"

namespace qdx::engine {

namespace {

// Files up to this size are checked before the first write of each open
// (about a tenth of a second at this size); larger ones are trusted until
// SQLite meets damage, and `qdxutil check` checks them in full.
constexpr off_t kVerifyLimitBytes = 64 << 20;

int Exec(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

Status EngineFile::beginWrite(bool savepoint) {
    quiesce();
    if (damaged_) return kIoError;
    if (tx_.callerActive() && tx_.lost()) return tx_.lost();
    if (int rc = tx_.begin(db(), savepoint); rc != SQLITE_OK) return fromSqlite(rc);
    Status st = kOk;
    if ((st = checkSpecVersion())) return st;
    if (!verified_ && (st = verifyBeforeWrite())) return endWrite(st);
    // A file whose upgrade at open found the write lock taken.
    if (format_ < kFormatCurrent && (st = upgradeSteps())) return endWrite(st);
    if (!countersLoaded_) {
        // Unchanged since this connection's last commit: the counters it
        // stored then are still the file's.
        if (!countersCurrent_ || DataVersion(db()) != countersVersion_) {
            if ((st = counterStore_.load(db(), storedCounters_))) return endWrite(st);
        }
        counters_ = storedCounters_;
        counters_.nextPosition = std::max(counters_.nextPosition, abortedPositions_);
        countersLoaded_ = true;
        countersCurrent_ = false;
    }
    opCounters_ = counters_;
    return kOk;
}

Status EngineFile::verifyBeforeWrite() {
    verified_ = true;
    struct stat st;
    if (::stat(path_.c_str(), &st) != 0 || st.st_size > kVerifyLimitBytes) return kOk;
    Statement s;
    int rc = s.prepare(db(), "PRAGMA quick_check(1)");
    if (rc == SQLITE_OK) rc = s.step();
    if (rc == SQLITE_ROW) {
        const uint8_t* text = s.columnBlob(0);
        if (s.columnBytes(0) == 2 && std::memcmp(text, "ok", 2) == 0) return kOk;
        damaged_ = true;
        return kIoError;
    }
    return fromSqlite(rc);
}

void EngineFile::committed(bool countersSaved) {
    countersCurrent_ = countersSaved;
    countersVersion_ = DataVersion(db());
}

Status EngineFile::saveCounters() {
    Status st = counterStore_.save(db(), counters_, storedCounters_);
    if (st == kOk) storedCounters_ = counters_;
    return st;
}

// Another process may have changed the keys or the owner.
Status EngineFile::checkSpecVersion() {
    const uint64_t version = DataVersion(db());
    if (version != dataVersion_) {
        Statement s;
        if (s.prepare(db(), "SELECT spec_version FROM qdx_file WHERE id = 1") == SQLITE_OK &&
            s.step() == SQLITE_ROW && s.columnInt(0) != specVersion_) {
            s.reset();
            Status st = loadSpec();
            if (st != kOk) return endWrite(st);
        }
        dataVersion_ = version;
    }
    return kOk;
}

Status EngineFile::endWrite(Status status) {
    ++writeSeq_;
    if (status != kOk) fromSqlite(sqlite3_errcode(db()));
    if (tx_.joined()) {
        if (status != kOk) {
            counters_ = opCounters_;
            if (sqlite3_get_autocommit(db())) {
                // SQLite gave up the whole transaction (disk full, I/O error):
                // the caller's transaction is lost. Later writes are refused
                // and End reports it, so nothing of it commits piecemeal.
                countersLoaded_ = false;
                tx_.markLost(status);
                return status;
            }
        }
        tx_.endOperation(db(), status != kOk);
        return status;
    }
    const bool loaded = countersLoaded_;
    countersLoaded_ = false;
    if (status == kOk && loaded) status = saveCounters();
    if (status == kOk) {
        const int rc = tx_.commit(db());
        if (rc == SQLITE_DONE) {
            committed(loaded);
            return kOk;
        }
        status = fromSqlite(rc);
    }
    tx_.rollback(db());
    return status;
}

Status EngineFile::commitTransaction() {
    if (const Status lost = tx_.lost()) {
        tx_.clearLost();
        if (scrubAtEnd_) {
            scrubAtEnd_ = false;
            lock_.release();
        }
        ++writeSeq_;
        loadSpec();
        return lost;
    }
    if (!tx_.joined()) return kOk;
    quiesce();
    tx_.leave();
    const bool loaded = countersLoaded_;
    countersLoaded_ = false;
    Status st = loaded ? saveCounters() : kOk;
    if (st == kOk) {
        const int rc = Exec(db(), "COMMIT");
        if (rc == SQLITE_OK) {
            committed(loaded);
            if (!scrubAtEnd_) return kOk;
            scrubAtEnd_ = false;
            st = scrub();
            lock_.release();
            return st;
        }
        st = fromSqlite(rc);
    }
    if (!sqlite3_get_autocommit(db())) Exec(db(), "ROLLBACK");
    if (scrubAtEnd_) {
        scrubAtEnd_ = false;
        lock_.release();
    }
    loadSpec();
    return st;
}

void EngineFile::rollbackTransaction() {
    if (tx_.lost()) {
        tx_.clearLost();
        ++writeSeq_;
        loadSpec();
    }
    if (scrubAtEnd_) {
        scrubAtEnd_ = false;
        lock_.release();
    }
    if (!tx_.joined()) return;
    quiesce();
    tx_.leave();
    // Positions handed out in the aborted transaction stay used in this process.
    if (countersLoaded_) abortedPositions_ = std::max(abortedPositions_, counters_.nextPosition);
    countersLoaded_ = false;
    if (!sqlite3_get_autocommit(db())) Exec(db(), "ROLLBACK");
    ++writeSeq_;
    // The transaction may have changed the owner or the keys.
    loadSpec();
}

}  // namespace qdx::engine
