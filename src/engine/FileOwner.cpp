// The file layer's owner operations: Set and Clear Owner, the rewriting of
// every record under a new data key, and the scrub that leaves nothing
// written in clear behind an encrypting Set Owner.

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "engine/EngineFile.h"
#include "engine/OwnerCrypto.h"

namespace qdx::engine {

namespace {

int Exec(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

Status EngineFile::checkOwner(const std::string& name, bool* granted) {
    return owner_.check(name, granted);
}

Status EngineFile::setOwner(const std::string& name, int mode) {
    const bool encrypt = mode == 2 || mode == 3;
    if (encrypt && owner_.mode() == kOwnerNone && !lock_.takeSole()) return kFileLocked;
    Status st = setOwnerWrite(name, mode);
    if (st == kOk && encrypt && tx_.joined()) {
        scrubAtEnd_ = true;  // the sole lock is kept until End or Abort
        return st;
    }
    if (st == kOk && encrypt) st = scrub();
    if (!scrubAtEnd_) lock_.release();
    return st;
}

Status EngineFile::setOwnerWrite(const std::string& name, int mode) {
    if (Status st = beginWrite()) return st;
    if (owner_.mode() != kOwnerNone) return endWrite(kOwnerAlreadySet);
    NewOwner made;
    if (Status st = OwnerKeys::Make(name, mode, made)) return endWrite(st);
    const bool encrypt = !made.dataKey.empty();
    if (encrypt) {
        // Replaced record bytes are zeroed as they are rewritten.
        Exec(db(), "PRAGMA secure_delete=ON");
        secureDelete_ = 1;
    }
    Statement s;
    int rc = s.prepare(db(), "UPDATE qdx_file SET owner_mode = ?1, owner_salt = ?2,"
                             " owner_verifier = ?3, key_by_owner = ?4, key_by_salt = ?5,"
                             " spec_version = spec_version + 1 WHERE id = 1");
    if (rc != SQLITE_OK) return endWrite(fromSqlite(rc));
    s.bindInt(1, mode);
    s.bindBlob(2, made.stored.salt);
    s.bindBlob(3, made.stored.verifier);
    if (encrypt) s.bindBlob(4, made.stored.keyByOwner);
    if (mode == 3) s.bindBlob(5, made.stored.keyBySalt);
    rc = s.run();
    if (rc != SQLITE_DONE) return endWrite(fromSqlite(rc));
    if (encrypt) {
        if (Status st = rewriteRecords(&made.dataKey)) return endWrite(st);
    }
    Status st = endWrite(kOk);
    if (st == kOk) {
        refreshSpec();
        owner_.adopt(made.dataKey);
    }
    return st;
}

Status EngineFile::scrub() {
    quiesce();
    // The rebuilt copy goes through a temporary file, not memory (it is as
    // large as the file); it holds sealed records only.
    Exec(db(), "PRAGMA temp_store=FILE");
    int rc = Exec(db(), "VACUUM");
    Exec(db(), "PRAGMA temp_store=MEMORY");
    if (rc != SQLITE_OK) return fromSqlite(rc);
    ++writeSeq_;
    Statement s;
    rc = s.prepare(db(), "PRAGMA wal_checkpoint(TRUNCATE)");
    if (rc == SQLITE_OK) rc = s.step();
    if (rc == SQLITE_ROW) return s.columnInt(0) == 0 ? kOk : kFileLocked;
    return rc == SQLITE_DONE ? kOk : fromSqlite(rc);
}

void EngineFile::checkpointLog() {
    quiesce();
    ++writeSeq_;
    Exec(db(), "PRAGMA wal_checkpoint(TRUNCATE)");
}

void EngineFile::applySecureDelete() {
    const int wanted = encrypted() ? 1 : 0;
    if (wanted == secureDelete_) return;
    Exec(db(), wanted ? "PRAGMA secure_delete=ON" : "PRAGMA secure_delete=OFF");
    secureDelete_ = wanted;
}

Status EngineFile::clearOwner() {
    if (Status st = beginWrite()) return st;
    if (owner_.mode() == kOwnerNone) return endWrite(kOk);
    if (encrypted()) {
        if (Status st = rewriteRecords(nullptr)) return endWrite(st);
    }
    int rc = Exec(db(), "UPDATE qdx_file SET owner_mode = -1, owner_salt = NULL,"
                        " owner_verifier = NULL, key_by_owner = NULL, key_by_salt = NULL,"
                        " spec_version = spec_version + 1 WHERE id = 1");
    Status st = endWrite(fromSqlite(rc));
    if (st == kOk) refreshSpec();  // forgets the data key (keeping it should the change be undone)
    return st;
}

// Re-stores every record under a new data key (or in clear when null).
Status EngineFile::rewriteRecords(const std::string* newKey) {
    Statement read, write;
    if (read.prepare(db(), "SELECT rid, data FROM qdx_record ORDER BY rid") != SQLITE_OK ||
        write.prepare(db(), "UPDATE qdx_record SET data = ?1 WHERE rid = ?2") != SQLITE_OK)
        return kIoError;
    int rc;
    std::string plain, sealed;
    while ((rc = read.step()) == SQLITE_ROW) {
        const uint8_t* p = read.columnBlob(1);
        size_t n = read.columnBytes(1);
        const uint8_t* clear;
        size_t clearSize;
        if (Status st = owner_.plain(p, n, plain, &clear, &clearSize)) return st == kInvalidOwner ? kIoError : st;
        if (clear != reinterpret_cast<const uint8_t*>(plain.data()))
            plain.assign(reinterpret_cast<const char*>(clear), clearSize);
        if (newKey) {
            if (!Seal(*newKey, reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), sealed))
                return kIoError;
        } else {
            sealed = plain;
        }
        write.bindBlob(1, sealed);
        write.bindInt(2, read.columnInt(0));
        rc = write.run();
        if (rc != SQLITE_DONE) return fromSqlite(rc);
    }
    return rc == SQLITE_DONE ? kOk : fromSqlite(rc);
}

}  // namespace qdx::engine
