// Files written by earlier formats of the engine. Each step takes a file
// from one format to the next inside the current write transaction; all the
// steps of one upgrade commit together with the format number, so a killed
// process leaves the file either as it was or fully upgraded.

#include "engine/EngineFile.h"
#include "engine/KeyCodec.h"

namespace qdx::engine {

namespace {

int Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

}  // namespace

void EngineFile::upgrade() {
    if (format_ >= kFormatCurrent || tx_.joined()) return;
    quiesce();
    countersCurrent_ = false;
    // Busy or read-only: the file stays readable as it is.
    if (Exec(db(), "BEGIN IMMEDIATE") != SQLITE_OK) return;
    Status st = loadSpec();  // another process may have upgraded it meanwhile
    if (st == kOk && format_ < kFormatCurrent) st = upgradeSteps();
    if (st == kOk && Exec(db(), "COMMIT") == SQLITE_OK) return;
    if (!sqlite3_get_autocommit(db())) Exec(db(), "ROLLBACK");
    loadSpec();
}

void EngineFile::followUpgrade() {
    if (format_ >= kFormatCurrent) return;
    quiesce();
    Statement s;
    if (s.prepare(db(), "SELECT spec_version FROM qdx_file WHERE id = 1") == SQLITE_OK &&
        s.step() == SQLITE_ROW && s.columnInt(0) != specVersion_) {
        s.reset();
        loadSpec();
    }
}

Status EngineFile::upgradeSteps() {
    if (Exec(db(), "SAVEPOINT upgrade") != SQLITE_OK) return kIoError;
    int rc = SQLITE_OK;
    Status st = kOk;
    if (format_ < 2) {
        rc = Exec(db(), "ALTER TABLE qdx_key ADD COLUMN key_order INTEGER NOT NULL DEFAULT 1;"
                        "UPDATE qdx_key SET key_order = 2;");
        for (const KeyDef& key : spec_.keys) {
            if (rc != SQLITE_OK || st != kOk) break;
            if (key.orderDependsOnVersion()) st = rebuildKeyOrder(key);
        }
    }
    if (format_ < 3 && rc == SQLITE_OK && st == kOk) {
        // The counters, counted once.
        FileCounters counted;
        rc = Exec(db(), CounterStore::Schema());
        if (rc == SQLITE_OK) st = CounterStore::Count(db(), spec_, counted);
        counterStore_.reset();
        if (rc == SQLITE_OK && st == kOk) st = counterStore_.save(db(), counted, FileCounters());
    }
    if (format_ < 4 && rc == SQLITE_OK && st == kOk)
        rc = Exec(db(), "ALTER TABLE qdx_record ADD COLUMN seq BLOB");
    if (format_ < 5 && rc == SQLITE_OK && st == kOk)
        rc = Exec(db(), "ALTER TABLE qdx_record ADD COLUMN tag INTEGER");
    if (rc == SQLITE_OK && st == kOk) {
        const std::string sql = "UPDATE qdx_file SET format = " + std::to_string(kFormatCurrent) +
                                ", spec_version = spec_version + 1";
        rc = Exec(db(), sql.c_str());
    }
    if (st == kOk) st = fromSqlite(rc);
    if (st != kOk) Exec(db(), "ROLLBACK TO upgrade");
    Exec(db(), "RELEASE upgrade");
    if (st == kOk) st = loadSpec();
    return st;
}

// Re-encodes one key's entries in value order. When two records' values
// become equal under a unique key (or the records cannot be read), the key
// keeps the order it was written in: consistent, only not by value.
Status EngineFile::rebuildKeyOrder(const KeyDef& key) {
    KeyDef byValue = key;
    byValue.order = kKeyOrderByValue;
    const std::string t = IndexTable(key);
    if (Exec(db(), "SAVEPOINT rekey") != SQLITE_OK) return kIoError;
    Statement read, put, mark;
    int rc = Exec(db(), ("DELETE FROM " + t).c_str());
    if (rc == SQLITE_OK) rc = read.prepare(db(), "SELECT rid, data FROM qdx_record");
    if (rc == SQLITE_OK) rc = put.prepare(db(), "INSERT INTO " + t + "(k, rid) VALUES(?1, ?2)");
    if (rc == SQLITE_OK) rc = mark.prepare(db(), "UPDATE qdx_key SET key_order = 1 WHERE table_id = ?1");
    bool keepOldOrder = false;
    while (rc == SQLITE_OK && (rc = read.step()) == SQLITE_ROW) {
        const uint8_t* p;
        size_t n;
        if (plainRecord(read.columnBlob(1), read.columnBytes(1), &p, &n) != kOk) {
            keepOldOrder = true;
            break;
        }
        ExtractKey(byValue, p, n, image_);
        const auto* image = reinterpret_cast<const uint8_t*>(image_.data());
        if (IsNullKey(byValue, image)) continue;
        const auto rid = static_cast<uint32_t>(read.columnInt(0));
        IndexEntry(byValue, image, rid, entry_);
        put.bindBlob(1, entry_);
        put.bindInt(2, rid);
        rc = put.run();
        if (rc == SQLITE_CONSTRAINT) {
            keepOldOrder = true;
            break;
        }
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    read.reset();
    if (rc == SQLITE_DONE) rc = SQLITE_OK;
    if (keepOldOrder) {
        rc = Exec(db(), "ROLLBACK TO rekey");
        mark.bindInt(1, key.tableId);
        if (rc == SQLITE_OK) rc = mark.run() == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    }
    if (rc != SQLITE_OK) Exec(db(), "ROLLBACK TO rekey");
    Exec(db(), "RELEASE rekey");
    return fromSqlite(rc);
}

}  // namespace qdx::engine
