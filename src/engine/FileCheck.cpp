// EngineFile::check: the whole file against itself (kOpCheckFile in Contract.h).

#include <cstdio>

#include "engine/EngineFile.h"
#include "engine/KeyCodec.h"

namespace qdx::engine {

namespace {

constexpr int kSqliteProblems = 100;  // integrity check lines asked for

}  // namespace

void EngineFile::CheckReport::add(const std::string& line) {
    ++problems;
    lines.push_back(line);
}

void EngineFile::checkRecords(CheckReport& report) {
    Statement read;
    const char* sql = format_ >= kFormatSuffixes ? "SELECT rid, data, seq FROM qdx_record ORDER BY rid"
                                                 : "SELECT rid, data, NULL FROM qdx_record ORDER BY rid";
    if (read.prepare(db(), sql) != SQLITE_OK) {
        report.add("the records cannot be read: " + std::string(sqlite3_errmsg(db())));
        return;
    }
    std::vector<Statement> lookups(spec_.keys.size());
    for (size_t k = 0; k < spec_.keys.size(); ++k) {
        if (lookups[k].prepare(db(), "SELECT rid FROM " + IndexTable(spec_.keys[k]) + " WHERE k = ?1") != SQLITE_OK)
            report.add("key " + std::to_string(spec_.keys[k].keyNumber) + ": its index cannot be read");
    }
    std::vector<int64_t> expected(spec_.keys.size(), 0);
    std::string image, entry;
    int64_t records = 0;
    int rc;
    while ((rc = read.step()) == SQLITE_ROW) {
        ++records;
        const uint32_t rid = static_cast<uint32_t>(read.columnInt(0));
        const std::string where = "the record at position " + std::to_string(rid);
        const uint8_t* p;
        size_t n;
        if (plainRecord(read.columnBlob(1), read.columnBytes(1), &p, &n) != kOk) {
            report.add(where + " cannot be unsealed");
            continue;
        }
        const bool lengthOk = spec_.variableLength() ? n >= spec_.recordLength && n <= kMaxRecordLength
                                                     : n == spec_.recordLength;
        if (!lengthOk) report.add(where + " is " + std::to_string(n) + " bytes long");
        const std::string suffixes = read.columnBlob(2) ? std::string(reinterpret_cast<const char*>(read.columnBlob(2)),
                                                                      read.columnBytes(2))
                                                        : std::string();
        for (size_t k = 0; k < spec_.keys.size(); ++k) {
            const KeyDef& key = spec_.keys[k];
            if (!lookups[k].valid()) continue;
            ExtractKey(key, p, n, image);
            if (IsNullKey(key, reinterpret_cast<const uint8_t*>(image.data()))) continue;
            ++expected[k];
            IndexEntry(key, reinterpret_cast<const uint8_t*>(image.data()),
                       DuplicateSuffix(suffixes, key.tableId, rid), entry);
            lookups[k].bindBlob(1, entry);
            const int found = lookups[k].step();
            const std::string name = "key " + std::to_string(key.keyNumber) + ": ";
            if (found == SQLITE_DONE) {
                report.add(name + "no entry for " + where);
            } else if (found != SQLITE_ROW) {
                report.add(name + "the entry of " + where + " cannot be read: " + sqlite3_errmsg(db()));
            } else if (lookups[k].columnInt(0) != rid) {
                report.add(name + "the entry of " + where + " names position " +
                           std::to_string(lookups[k].columnInt(0)));
            }
            lookups[k].reset();
        }
    }
    if (rc != SQLITE_DONE) {
        report.add("the records cannot be read past " + std::to_string(records) + ": " + sqlite3_errmsg(db()));
        return;
    }
    read.reset();
    // Entries beyond those of the records: strays, or entries of no record.
    for (size_t k = 0; k < spec_.keys.size(); ++k) {
        const std::string name = "key " + std::to_string(spec_.keys[k].keyNumber) + ": ";
        Statement count;
        if (count.prepare(db(), "SELECT count(*), sum(rid NOT IN (SELECT rid FROM qdx_record)) FROM " +
                                    IndexTable(spec_.keys[k])) != SQLITE_OK ||
            count.step() != SQLITE_ROW) {
            report.add(name + "its entries cannot be counted");
            continue;
        }
        if (count.columnInt(0) != expected[k])
            report.add(name + std::to_string(count.columnInt(0)) + " entries for " + std::to_string(expected[k]) +
                       " records in it");
        if (count.columnInt(1) > 0)
            report.add(name + std::to_string(count.columnInt(1)) + " entries name positions without a record");
    }
}

void EngineFile::checkCounters(CheckReport& report) {
    if (format_ < kFormatCounters) return;
    FileCounters stored, real;
    if (counterStore_.load(db(), stored) != kOk || CounterStore::Count(db(), spec_, real) != kOk) {
        report.add("the counts cannot be read: " + std::string(sqlite3_errmsg(db())));
        return;
    }
    if (stored.records != real.records)
        report.add("the file counts " + std::to_string(stored.records) + " records, it holds " +
                   std::to_string(real.records));
    if (stored.nextPosition < real.nextPosition)
        report.add("the next position " + std::to_string(stored.nextPosition) + " is already used");
    for (const KeyDef& key : spec_.keys) {
        int64_t kept = -1, counted = 0;
        for (const auto& u : stored.unique)
            if (u.first == key.tableId) kept = u.second;
        for (const auto& u : real.unique)
            if (u.first == key.tableId) counted = u.second;
        if (kept != counted)
            report.add("key " + std::to_string(key.keyNumber) + ": the file counts " + std::to_string(kept) +
                       " distinct values, it holds " + std::to_string(counted));
    }
}

Status EngineFile::check(CheckReport& report) {
    quiesce();
    ++writeSeq_;
    Statement s;
    if (s.prepare(db(), "PRAGMA integrity_check(" + std::to_string(kSqliteProblems) + ")") != SQLITE_OK) {
        report.add("SQLite cannot check the file: " + std::string(sqlite3_errmsg(db())));
    } else {
        int rc;
        while ((rc = s.step()) == SQLITE_ROW) {
            const std::string line(reinterpret_cast<const char*>(s.columnBlob(0)), s.columnBytes(0));
            // (the heading SQLite puts before the problems of a database)
            if (line != "ok" && line.rfind("*** in database", 0) != 0) report.add("SQLite: " + line);
        }
        if (rc != SQLITE_DONE) report.add("SQLite: " + std::string(sqlite3_errmsg(db())));
        s.reset();
    }
    checkRecords(report);
    checkCounters(report);
    quiesce();
    if (report.problems) damaged_ = true;
    return report.problems ? kIoError : kOk;
}

}  // namespace qdx::engine
