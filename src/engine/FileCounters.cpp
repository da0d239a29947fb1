#include "engine/FileCounters.h"

#include <algorithm>
#include <string>

namespace qdx::engine {

namespace {

uint32_t Clamp(int64_t v) { return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, UINT32_MAX)); }

std::string IndexTableName(int64_t tableId) { return "qdx_k" + std::to_string(tableId); }

}  // namespace

int64_t& FileCounters::uniqueFor(int64_t tableId) {
    for (auto& u : unique)
        if (u.first == tableId) return u.second;
    unique.emplace_back(tableId, 0);
    return unique.back().second;
}

void FileCounters::dropUnique(int64_t tableId) {
    unique.erase(std::remove_if(unique.begin(), unique.end(),
                                [tableId](const auto& u) { return u.first == tableId; }),
                 unique.end());
}

void FileCounters::report(const FileSpec& spec, uint32_t* recordCount,
                          std::vector<uint32_t>& uniqueCounts) const {
    *recordCount = Clamp(records);
    uniqueCounts.clear();
    for (const KeyDef& key : spec.keys) {
        int64_t n = 0;
        for (const auto& u : unique)
            if (u.first == key.tableId) n = u.second;
        uniqueCounts.push_back(Clamp(n));
    }
}

const char* CounterStore::Schema() {
    return "CREATE TABLE qdx_count(id INTEGER PRIMARY KEY, n INTEGER NOT NULL);";
}

void CounterStore::reset() {
    select_ = Statement();
    upsert_ = Statement();
    erase_ = Statement();
    highest_ = Statement();
}

Status CounterStore::load(sqlite3* db, FileCounters& out) {
    if (!select_.valid() && select_.prepare(db, "SELECT id, n FROM qdx_count") != SQLITE_OK)
        return kIoError;
    out.records = 0;
    out.nextPosition = 0;
    out.unique.clear();
    int rc;
    while ((rc = select_.step()) == SQLITE_ROW) {
        const int64_t id = select_.columnInt(0), n = select_.columnInt(1);
        if (id == kCounterRecords) {
            out.records = n;
        } else if (id == kCounterNextPosition) {
            out.nextPosition = n;
        } else if (id > 0) {
            out.unique.emplace_back(id, n);
        }
    }
    select_.reset();
    if (rc != SQLITE_DONE) return StatusFromSqlite(rc);
    if (out.nextPosition > 0) return kOk;
    if (!highest_.valid() &&
        highest_.prepare(db, "SELECT coalesce(max(rid), 0) + 1 FROM qdx_record") != SQLITE_OK)
        return kIoError;
    rc = highest_.step();
    if (rc == SQLITE_ROW) out.nextPosition = highest_.columnInt(0);
    highest_.reset();
    return rc == SQLITE_ROW ? kOk : StatusFromSqlite(rc);
}

Status CounterStore::save(sqlite3* db, const FileCounters& now, const FileCounters& stored) {
    if (!upsert_.valid() &&
        upsert_.prepare(db, "INSERT INTO qdx_count(id, n) VALUES(?1, ?2)"
                            " ON CONFLICT(id) DO UPDATE SET n = excluded.n") != SQLITE_OK)
        return kIoError;
    auto put = [&](int64_t id, int64_t n) {
        upsert_.bindInt(1, id);
        upsert_.bindInt(2, n);
        return upsert_.run();
    };
    int rc = SQLITE_DONE;
    if (now.records != stored.records) rc = put(kCounterRecords, now.records);
    if (rc == SQLITE_DONE && now.nextPosition != stored.nextPosition)
        rc = put(kCounterNextPosition, now.nextPosition);
    for (const auto& u : now.unique) {
        if (rc != SQLITE_DONE) break;
        auto old = std::find(stored.unique.begin(), stored.unique.end(), u);
        if (old == stored.unique.end()) rc = put(u.first, u.second);
    }
    for (const auto& u : stored.unique) {
        if (rc != SQLITE_DONE) break;
        const bool kept = std::any_of(now.unique.begin(), now.unique.end(),
                                      [&](const auto& v) { return v.first == u.first; });
        if (kept) continue;
        if (!erase_.valid() && erase_.prepare(db, "DELETE FROM qdx_count WHERE id = ?1") != SQLITE_OK)
            return kIoError;
        erase_.bindInt(1, u.first);
        rc = erase_.run();
    }
    return rc == SQLITE_DONE ? kOk : StatusFromSqlite(rc);
}

Status CounterStore::Count(sqlite3* db, const FileSpec& spec, FileCounters& out) {
    out = FileCounters();
    auto scalar = [db](const std::string& sql, int64_t* v) {
        Statement s;
        if (s.prepare(db, sql) != SQLITE_OK) return kIoError;
        const int rc = s.step();
        if (rc != SQLITE_ROW) return StatusFromSqlite(rc);
        *v = s.columnInt(0);
        return kOk;
    };
    if (Status st = scalar("SELECT count(*) FROM qdx_record", &out.records)) return st;
    if (Status st = scalar("SELECT coalesce(max(rid), 0) + 1 FROM qdx_record", &out.nextPosition))
        return st;
    for (const KeyDef& key : spec.keys) {
        // A duplicates key's entries end in the 4-byte suffix that orders them.
        const std::string sql = key.duplicates()
                                    ? "SELECT count(DISTINCT substr(k, 1, length(k) - 4)) FROM "
                                    : "SELECT count(*) FROM ";
        int64_t n = 0;
        if (Status st = scalar(sql + IndexTableName(key.tableId), &n)) return st;
        out.unique.emplace_back(key.tableId, n);
    }
    return kOk;
}

}  // namespace qdx::engine
