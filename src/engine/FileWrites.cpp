// The file layer's record and index writes: Insert, Update, Delete, Create
// Supplemental Index and Drop Index, each inside beginWrite / endWrite
// (EngineFile.cpp), with the counters of FileCounters.h kept as they go.

#include <cstring>

#include "base/Endian.h"
#include "engine/EngineFile.h"
#include "engine/KeyCodec.h"
#include "engine/OwnerCrypto.h"

namespace qdx::engine {

namespace {

constexpr ChangeTag kChangeTagMask = 0x3FFFFFFFFFFFFFFF;

int Exec(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

Status EngineFile::storedForm(const std::string& record, std::string& out) {
    return owner_.seal(record, out);
}

// Inserts (or removes) the index entries of one record for every key.
Status EngineFile::writeIndexes(const uint8_t* record, size_t n, uint32_t rid,
                                const std::string& suffixes, bool insert, size_t* done) {
    if (done) *done = 0;
    for (const KeyDef& key : spec_.keys) {
        ExtractKey(key, record, n, image_);
        if (IsNullKey(key, reinterpret_cast<const uint8_t*>(image_.data()))) continue;
        IndexEntry(key, reinterpret_cast<const uint8_t*>(image_.data()),
                   DuplicateSuffix(suffixes, key.tableId, rid), entry_);
        KeyStatements* ks = keyStatements(key);
        if (!ks) return kIoError;
        if (Status st = putEntry(key, *ks, rid, insert)) return st;
        if (done) ++*done;
    }
    return kOk;
}

Status EngineFile::valuePresent(KeyStatements& ks, bool* present) {
    // Entries of one value share the encoded key and differ in the 4-byte suffix.
    const size_t valueSize = entry_.size() - 4;
    bound_.assign(entry_, 0, valueSize);
    bound_.append(5, '\xFF');
    ks.probe.bindBlob(1, entry_.data(), valueSize);
    ks.probe.bindBlob(2, bound_);
    const int rc = ks.probe.step();
    ks.probe.reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return fromSqlite(rc);
    *present = rc == SQLITE_ROW;
    return kOk;
}

Status EngineFile::putEntry(const KeyDef& key, KeyStatements& ks, uint32_t rid, bool insert) {
    bool present = false;
    if (insert && key.duplicates()) {
        if (Status st = valuePresent(ks, &present)) return st;
    }
    int rc;
    if (insert) {
        ks.insert.bindBlob(1, entry_);
        ks.insert.bindInt(2, rid);
        rc = ks.insert.run();
    } else {
        ks.erase.bindBlob(1, entry_);
        rc = ks.erase.run();
    }
    if (rc != SQLITE_DONE) return fromSqlite(rc);
    if (!insert && key.duplicates()) {
        if (Status st = valuePresent(ks, &present)) return st;
    }
    if (!present) counters_.uniqueFor(key.tableId) += insert ? 1 : -1;
    return kOk;
}

// A zero auto-increment value becomes the highest value of its key + 1.
Status EngineFile::assignAutoIncrement(std::string& record) {
    auto* rec = reinterpret_cast<uint8_t*>(&record[0]);
    for (const KeyDef& key : spec_.keys) {
        if (key.autoIncrementSegment() != 0) continue;
        const Segment& s = key.segments[0];
        uint8_t* field = rec + s.position - 1;
        bool zero = true;
        for (size_t i = 0; i < s.length && zero; ++i) zero = field[i] == 0;
        if (!zero) continue;
        KeyStatements* ks = keyStatements(key);
        if (!ks) return kIoError;
        Statement& q = s.descending() ? ks->first : ks->last;
        int64_t highest = 0;
        int rc = q.step();
        if (rc == SQLITE_ROW && q.columnBytes(0) >= s.length) {
            uint8_t be[8] = {};
            const uint8_t* k = q.columnBlob(0);
            for (size_t i = 0; i < s.length; ++i) be[i] = s.descending() ? uint8_t(~k[i]) : k[i];
            be[0] ^= 0x80;
            uint64_t v = 0;
            for (size_t i = 0; i < s.length; ++i) v = (v << 8) | be[i];
            if (s.length < 8 && (be[0] & 0x80)) v |= ~0ULL << (8 * s.length);
            highest = static_cast<int64_t>(v);
        } else if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
            q.reset();
            return fromSqlite(rc);
        }
        q.reset();
        le::PutN(field, static_cast<uint64_t>(highest + 1), s.length);
    }
    return kOk;
}

// Inside a transaction a failed insert is undone by hand rather than through
// a savepoint, which would copy every page the insert touches.
Status EngineFile::insert(std::string& record, uint32_t* rid) {
    if (Status st = beginWrite(false)) return st;
    if (Status st = assignAutoIncrement(record)) return endWrite(st);
    if (Status st = storedForm(record, scratch_)) return endWrite(st);
    // Positions come from a counter that never goes down: a deleted record's
    // position (a caller may have saved it) never names another record.
    const int64_t id = counters_.nextPosition;
    if (id > kMaxPosition) return endWrite(kDiskFull);
    if (Status st = prepared(insertRecord_, "INSERT INTO qdx_record(rid, data) VALUES(?2, ?1)"))
        return endWrite(st);
    insertRecord_.bindBlob(1, scratch_);
    insertRecord_.bindInt(2, id);
    int rc = insertRecord_.run();
    if (rc != SQLITE_DONE) return endWrite(fromSqlite(rc) == kDuplicateKey ? kIoError : fromSqlite(rc));
    *rid = static_cast<uint32_t>(id);
    counters_.nextPosition = id + 1;
    ++counters_.records;
    const auto* rec = reinterpret_cast<const uint8_t*>(record.data());
    size_t done = 0;
    const std::string none;
    Status st = writeIndexes(rec, record.size(), *rid, none, true, &done);
    if (st != kOk && tx_.joined() && !sqlite3_get_autocommit(db())) {
        // Remove the entries written so far, then the record.
        std::vector<KeyDef> written(spec_.keys.begin(), spec_.keys.begin() + done);
        std::swap(written, spec_.keys);
        Status undo = writeIndexes(rec, record.size(), *rid, none, false, nullptr);
        std::swap(written, spec_.keys);
        bool undone = undo == kOk &&
                      prepared(deleteRecord_, "DELETE FROM qdx_record WHERE rid = ?1") == kOk;
        if (undone) {
            deleteRecord_.bindInt(1, *rid);
            undone = deleteRecord_.run() == SQLITE_DONE;
        }
        if (!undone) {
            // The transaction can no longer be trusted: give it up (End
            // reports it; see endWrite).
            rollbackTransaction();
            tx_.markLost(st);
        }
    }
    return endWrite(st);
}

namespace {

// The next change tag after old: a random step, so that tags handed out in
// an aborted transaction are not likely to be handed out again.
ChangeTag NextChangeTag(ChangeTag old) {
    std::string r;
    uint32_t step = 0;
    if (RandomBytes(4, r)) std::memcpy(&step, r.data(), 4);
    return ((old & kChangeTagMask) + 1 + step) & kChangeTagMask;
}

}  // namespace

Status EngineFile::update(uint32_t rid, ChangeTag seen, std::string& record, std::string& suffixes,
                          ChangeTag* tag) {
    if (Status st = beginWrite()) return st;
    ChangeTag stored = 0;
    Status st = readRecord(rid, oldRecord_, &oldSuffixes_, &stored);
    if (st == kInvalidRecordAddress) st = kInvalidPositioning;
    if (st) return endWrite(st);
    if (stored != seen) return endWrite(kRecordConflict);
    *tag = NextChangeTag(stored);
    const auto* oldRec = reinterpret_cast<const uint8_t*>(oldRecord_.data());
    const auto* newRec = reinterpret_cast<const uint8_t*>(record.data());
    std::string oldImage, newImage, oldKey, newKey;
    // Suffixes of keys dropped since are left behind.
    suffixes.clear();
    for (const KeyDef& key : spec_.keys) {
        if (key.duplicates())
            SetDuplicateSuffix(suffixes, key.tableId, DuplicateSuffix(oldSuffixes_, key.tableId, rid), rid);
    }
    // Check every key first, then change the entries whose value changed.
    for (int pass = 0; pass < 2; ++pass) {
        for (const KeyDef& key : spec_.keys) {
            ExtractKey(key, oldRec, oldRecord_.size(), oldImage);
            ExtractKey(key, newRec, record.size(), newImage);
            if (oldImage == newImage) continue;
            if (pass == 0) {
                if (!key.modifiable()) return endWrite(kModifiableKeyError);
                continue;
            }
            const auto* oldP = reinterpret_cast<const uint8_t*>(oldImage.data());
            const auto* newP = reinterpret_cast<const uint8_t*>(newImage.data());
            const bool oldNull = IsNullKey(key, oldP), newNull = IsNullKey(key, newP);
            EncodeKey(key, oldP, oldKey);
            EncodeKey(key, newP, newKey);
            if (!oldNull && !newNull && oldKey == newKey) continue;  // the same value: same place
            KeyStatements* ks = keyStatements(key);
            if (!ks) return endWrite(kIoError);
            const uint32_t oldSuffix = DuplicateSuffix(suffixes, key.tableId, rid);
            if (!oldNull) {
                IndexEntry(key, oldP, oldSuffix, entry_);
                if ((st = putEntry(key, *ks, rid, false))) return endWrite(st);
            }
            if (newNull) {
                SetDuplicateSuffix(suffixes, key.tableId, rid, rid);
                continue;
            }
            // A new value of a duplicates key: after the records already there.
            uint32_t newSuffix = rid;
            if (key.duplicates()) {
                if (counters_.nextPosition > kMaxPosition) return endWrite(kDiskFull);
                newSuffix = static_cast<uint32_t>(counters_.nextPosition++);
                SetDuplicateSuffix(suffixes, key.tableId, newSuffix, rid);
            }
            IndexEntry(key, newP, newSuffix, entry_);
            if ((st = putEntry(key, *ks, rid, true))) return endWrite(st);
        }
    }
    if ((st = storedForm(record, scratch_))) return endWrite(st);
    if ((st = prepared(updateRecord_, "UPDATE qdx_record SET data = ?1, seq = ?3, tag = ?4 WHERE rid = ?2")))
        return endWrite(st);
    updateRecord_.bindBlob(1, scratch_);
    updateRecord_.bindInt(2, rid);
    updateRecord_.bindInt(4, *tag);
    if (suffixes.empty()) {
        sqlite3_bind_null(updateRecord_.get(), 3);
    } else {
        updateRecord_.bindBlob(3, suffixes);
    }
    int rc = updateRecord_.run();
    return endWrite(rc == SQLITE_DONE ? kOk : fromSqlite(rc));
}

Status EngineFile::erase(uint32_t rid, ChangeTag seen) {
    if (Status st = beginWrite()) return st;
    ChangeTag stored = 0;
    Status st = readRecord(rid, oldRecord_, &oldSuffixes_, &stored);
    if (st == kInvalidRecordAddress) st = kInvalidPositioning;
    if (st) return endWrite(st);
    if (stored != seen) return endWrite(kRecordConflict);
    st = writeIndexes(reinterpret_cast<const uint8_t*>(oldRecord_.data()), oldRecord_.size(), rid,
                      oldSuffixes_, false, nullptr);
    if (st) return endWrite(st);
    if ((st = prepared(deleteRecord_, "DELETE FROM qdx_record WHERE rid = ?1"))) return endWrite(st);
    deleteRecord_.bindInt(1, rid);
    int rc = deleteRecord_.run();
    --counters_.records;
    st = endWrite(rc == SQLITE_DONE ? kOk : fromSqlite(rc));
    // An encrypted file emptied: the log's earlier frames still hold the
    // key values of its records.
    if (st == kOk && !tx_.joined() && encrypted() && counters_.records == 0) checkpointLog();
    return st;
}

Status EngineFile::createIndex(KeyDef key) {
    if (Status st = beginWrite()) return st;
    Statement next;
    if (next.prepare(db(), "SELECT next_table FROM qdx_file WHERE id = 1") != SQLITE_OK ||
        next.step() != SQLITE_ROW)
        return endWrite(kIoError);
    key.tableId = next.columnInt(0);
    next.reset();
    const std::string t = IndexTable(key);
    int rc = Exec(db(), "CREATE TABLE " + t + "(k BLOB PRIMARY KEY, rid INTEGER NOT NULL) WITHOUT ROWID;"
                        "UPDATE qdx_file SET next_table = next_table + 1, spec_version = spec_version + 1;");
    if (rc != SQLITE_OK) return endWrite(fromSqlite(rc));
    Statement add;
    if (add.prepare(db(), "INSERT INTO qdx_key VALUES(?1, ?2, ?3, ?4)") != SQLITE_OK)
        return endWrite(kIoError);
    key.order = kKeyOrderByValue;
    add.bindInt(4, key.order);
    std::string blob = EncodeSegments(key);
    add.bindInt(1, key.keyNumber);
    add.bindInt(2, key.tableId);
    add.bindBlob(3, blob);
    if ((rc = add.run()) != SQLITE_DONE) return endWrite(fromSqlite(rc));

    // Build the index over the existing records.
    Statement read, put;
    if (read.prepare(db(), "SELECT rid, data FROM qdx_record ORDER BY rid") != SQLITE_OK ||
        put.prepare(db(), "INSERT INTO " + t + "(k, rid) VALUES(?1, ?2)") != SQLITE_OK)
        return endWrite(kIoError);
    while ((rc = read.step()) == SQLITE_ROW) {
        const uint8_t* p;
        size_t n;
        if (Status st = plainRecord(read.columnBlob(1), read.columnBytes(1), &p, &n)) return endWrite(st);
        ExtractKey(key, p, n, image_);
        if (IsNullKey(key, reinterpret_cast<const uint8_t*>(image_.data()))) continue;
        const uint32_t rid = static_cast<uint32_t>(read.columnInt(0));
        IndexEntry(key, reinterpret_cast<const uint8_t*>(image_.data()), rid, entry_);
        put.bindBlob(1, entry_);
        put.bindInt(2, rid);
        if ((rc = put.run()) != SQLITE_DONE) return endWrite(fromSqlite(rc));
    }
    if (rc != SQLITE_DONE) return endWrite(fromSqlite(rc));
    read.reset();
    FileSpec built;
    built.keys.push_back(key);
    FileCounters c;
    if (Status st = CounterStore::Count(db(), built, c)) return endWrite(st);
    counters_.uniqueFor(key.tableId) = c.unique[0].second;
    Status st = endWrite(kOk);
    if (st == kOk) st = loadSpec();
    return st;
}

Status EngineFile::dropIndex(int keyNumber, bool renumber) {
    if (Status st = beginWrite()) return st;
    const KeyDef* key = spec_.findKey(keyNumber);
    if (!key) return endWrite(kInvalidKeyNumber);
    keyStatements_.erase(key->tableId);
    counters_.dropUnique(key->tableId);
    std::string sql = "DROP TABLE " + IndexTable(*key) + ";DELETE FROM qdx_key WHERE key_number = " +
                      std::to_string(keyNumber) + ";";
    if (renumber) {
        // Two steps keep the primary key unique while numbers move down.
        sql += "UPDATE qdx_key SET key_number = -key_number WHERE key_number > " +
               std::to_string(keyNumber) + ";UPDATE qdx_key SET key_number = -key_number - 1"
               " WHERE key_number < 0;";
    }
    sql += "UPDATE qdx_file SET spec_version = spec_version + 1;";
    int rc = Exec(db(), sql);
    Status st = endWrite(fromSqlite(rc));
    if (st == kOk) st = loadSpec();
    return st;
}

}  // namespace qdx::engine
