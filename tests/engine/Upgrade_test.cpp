// Files written by the engine's first release: they open, are upgraded once
// (keys re-sorted where the order of their types changed), and while an
// upgrade cannot run (another writer holds the file) they are read
// consistently as they are.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>

#include "ChildProcess.h"
#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 16;

void ExecSql(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << (err ? err : "");
        sqlite3_free(err);
    }
}

// Another writer: holds the file's write lock from construction to release().
class WriteLock {
public:
    explicit WriteLock(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) abort();
        ExecSql(db_, "BEGIN IMMEDIATE");
    }
    ~WriteLock() { sqlite3_close(db_); }
    void release() { ExecSql(db_, "COMMIT"); }

private:
    sqlite3* db_ = nullptr;
};

// Writes a file the way the first release did: format 1, index entries of
// integers as big-endian with the sign bit flipped, of strings and Numeric
// values as their bytes, duplicates followed by the big-endian rowid.
class FirstFormatFile {
public:
    FirstFormatFile(const std::string& path, const std::vector<KeySpec>& keys) : keys_(keys) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) abort();
        std::string sql =
            "PRAGMA application_id=1363433541; PRAGMA journal_mode=WAL; BEGIN;"
            "CREATE TABLE qdx_file(id INTEGER PRIMARY KEY CHECK (id = 1), format INTEGER NOT NULL,"
            " record_length INTEGER NOT NULL, page_size INTEGER NOT NULL, file_flags INTEGER NOT NULL,"
            " spec_version INTEGER NOT NULL, next_table INTEGER NOT NULL, owner_mode INTEGER NOT NULL,"
            " owner_salt BLOB, owner_verifier BLOB, key_by_owner BLOB, key_by_salt BLOB);"
            "CREATE TABLE qdx_key(key_number INTEGER PRIMARY KEY, table_id INTEGER NOT NULL,"
            " segments BLOB NOT NULL);"
            "CREATE TABLE qdx_record(rid INTEGER PRIMARY KEY, data BLOB NOT NULL);";
        sql += "INSERT INTO qdx_file VALUES(1, 1, " + std::to_string(kLen) + ", 4096, 0, 1, " +
               std::to_string(keys.size() + 1) + ", -1, NULL, NULL, NULL, NULL);";
        for (size_t k = 0; k < keys.size(); ++k) {
            sql += "CREATE TABLE qdx_k" + std::to_string(k + 1) +
                   "(k BLOB PRIMARY KEY, rid INTEGER NOT NULL) WITHOUT ROWID;";
        }
        Exec(sql);
        for (size_t k = 0; k < keys.size(); ++k) {
            Bytes seg = MakeIndexSpec(keys[k]);
            Run("INSERT INTO qdx_key VALUES(?1, ?2, ?3)", int64_t(k), int64_t(k + 1), seg);
        }
        Exec("COMMIT");
    }
    ~FirstFormatFile() { sqlite3_close(db_); }

    void add(int64_t rid, const Bytes& record) {
        Run("INSERT INTO qdx_record VALUES(?1, ?3)", rid, 0, record);
        for (size_t k = 0; k < keys_.size(); ++k) {
            Bytes entry;
            for (const SegmentDef& s : keys_[k]) {
                Bytes v(record.begin() + s.position - 1, record.begin() + s.position - 1 + s.length);
                if (s.type == 1) {  // little-endian two's complement
                    std::reverse(v.begin(), v.end());
                    v[0] ^= 0x80;
                }
                entry.insert(entry.end(), v.begin(), v.end());
            }
            if (keys_[k][0].flags & 0x0001) {
                for (int shift = 24; shift >= 0; shift -= 8) entry.push_back(uint8_t(rid >> shift));
            }
            Run("INSERT INTO qdx_k" + std::to_string(k + 1) + " VALUES(?3, ?1)", rid, 0, entry);
        }
    }

private:
    void Exec(const std::string& sql) { ExecSql(db_, sql); }
    void Run(const std::string& sql, int64_t a, int64_t b, const Bytes& blob) {
        sqlite3_stmt* s = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr)) << sql;
        sqlite3_bind_int64(s, 1, a);
        sqlite3_bind_int64(s, 2, b);
        sqlite3_bind_blob(s, 3, blob.data(), int(blob.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(SQLITE_DONE, sqlite3_step(s)) << sql;
        sqlite3_finalize(s);
    }

    sqlite3* db_ = nullptr;
    std::vector<KeySpec> keys_;
};

// Key 0: unique integer at 0. Key 1: Numeric with duplicates at 4 (sorted by
// bytes in the first release). Key 2: unique Numeric at 8 whose values
// " 012" and "0012" are one value by value: it must keep its byte order.
const std::vector<KeySpec> kKeys = {{{1, 4, 0x0002, 1}}, {{5, 4, 0x0003, 8}}, {{9, 4, 0x0002, 8}}};

struct Row {
    uint32_t id;
    const char* numeric;  // key 1
    const char* unique;   // key 2
};
// Key 1 values: +11, -1, -100, +5, 0, +22, -1.
const Row kRows[] = {{1, "001A", "0012"}, {2, "000J", " 012"}, {3, "010}", "0003"}, {4, "0005", "0004"},
                     {5, "000{", "0005"}, {6, "002B", "0006"}, {7, "000J", "0007"}};

Bytes Make(const Row& r) {
    Bytes b = Record(kLen);
    PutU32(b, 0, r.id);
    PutText(b, 4, r.numeric, 4);
    PutText(b, 8, r.unique, 4);
    return b;
}

void WriteFirstFormat(const std::string& path) {
    FirstFormatFile old(path, kKeys);
    int64_t rid = 1;
    for (const Row& r : kRows) old.add(rid++, Make(r));
}

// Stat's record count and the distinct values of keys 0, 1 and 2.
std::vector<uint32_t> Counts(File& f) {
    Bytes s;
    EXPECT_EQ(0, f.stat(s));
    return {GetU32(s, 6), GetU32(s, 16 + 6), GetU32(s, 32 + 6), GetU32(s, 48 + 6)};
}

int64_t StoredCount(const std::string& path, int64_t id) {
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    int64_t n = -1;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT n FROM qdx_count WHERE id = ?1", -1, &s, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(s, 1, id);
        if (sqlite3_step(s) == SQLITE_ROW) n = sqlite3_column_int64(s, 0);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return n;
}

std::vector<uint32_t> Ids(File& f, int8_t keyNumber) {
    std::vector<uint32_t> ids;
    for (auto& r : f.scan(keyNumber)) ids.push_back(GetU32(r, 0));
    return ids;
}

const std::vector<uint32_t> kByValue = {3, 2, 7, 5, 4, 1, 6};   // -100 -1 -1 0 5 11 22
const std::vector<uint32_t> kByBytes = {4, 2, 7, 5, 1, 6, 3};   // 0005 000J 000J 000{ 001A 002B 010}

TEST(Upgrade, FirstFormatFileIsUpgradedAtOpen) {
    TempDir dir;
    const std::string path = dir.path("old.dat");
    WriteFirstFormat(path);
    {
        File f;
        ASSERT_EQ(0, f.openFile(path));
        EXPECT_EQ((std::vector<uint32_t>{7, 7, 6, 7}), Counts(f));
        EXPECT_EQ(7, StoredCount(path, 0)) << "counters built into the file";
        EXPECT_EQ(6, StoredCount(path, 2));
        EXPECT_EQ(kByValue, Ids(f, 1)) << "Numeric key re-sorted by value";
        EXPECT_EQ((std::vector<uint32_t>{2, 3, 4, 5, 6, 7, 1}), Ids(f, 2))
            << "a key whose values collide by value keeps its byte order";
        Bytes rec, key = {' ', '0', '1', '2'};
        ASSERT_EQ(0, f.get(kGetEqual, rec, key, 2));
        EXPECT_EQ(2u, GetU32(rec, 0));
        key = {'0', '0', '0', 'J'};
        ASSERT_EQ(0, f.get(kGetEqual, rec, key, 1));
        EXPECT_EQ(2u, GetU32(rec, 0));
        // Writes go on in the new order.
        Bytes r = Make({8, "000K", "0008"});  // -2
        ASSERT_EQ(0, f.insert(r));
        std::vector<uint32_t> expect = kByValue;
        expect.insert(expect.begin() + 1, 8);
        EXPECT_EQ(expect, Ids(f, 1));
        EXPECT_EQ((std::vector<uint32_t>{8, 8, 7, 8}), Counts(f));
        // An update moves a record to the end of its new value's duplicates.
        key = Bytes{5, 0, 0, 0};
        ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
        PutText(rec, 4, "000J", 4);
        ASSERT_EQ(0, f.update(rec));
        EXPECT_EQ((std::vector<uint32_t>{3, 8, 2, 7, 5, 4, 1, 6}), Ids(f, 1));
    }
    EXPECT_EQ(8, StoredCount(path, 0));
    File g;
    ASSERT_EQ(0, g.openFile(path));
    EXPECT_EQ(8u, Ids(g, 1).size()) << "a second open finds it upgraded";
    EXPECT_EQ(8u, Ids(g, 2).size());
}

// While another writer holds the file the upgrade waits; the file is read
// as it is, and the next write (or another process's open) upgrades it.
TEST(Upgrade, UpgradeWaitsForTheWriteLock) {
    TempDir dir;
    const std::string path = dir.path("busy.dat");
    WriteFirstFormat(path);
    Child child([&](Child& self) {
        self.receive();
        File f;
        self.send(uint32_t(f.openFile(path)));  // upgrades
        return 0;
    });
    WriteLock holder(path);  // opened after the fork: SQLite connections do not cross fork()
    File f;
    ASSERT_EQ(0, f.openFile(path));
    EXPECT_EQ(kByBytes, Ids(f, 1)) << "read in the order it was written";
    EXPECT_EQ((std::vector<uint32_t>{7, 7, 6, 7}), Counts(f)) << "counted without stored counters";
    Bytes rec, key = {'0', '0', '0', 'J'};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 1));
    EXPECT_EQ(2u, GetU32(rec, 0));
    Bytes r = Make({8, "000K", "0008"});
    EXPECT_EQ(85, f.insert(r));
    holder.release();
    child.send(1);
    EXPECT_EQ(0u, child.receive());
    EXPECT_EQ(0, child.wait());
    EXPECT_EQ(kByValue, Ids(f, 1)) << "upgraded by the other process";
    key = {'0', '0', '0', 'J'};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 1)) << "key values are encoded the new way";
    EXPECT_EQ(2u, GetU32(rec, 0));
    key = {'0', '0', '0', 'J'};
    ASSERT_EQ(0, f.get(kGetGreater, rec, key, 1));
    EXPECT_EQ(5u, GetU32(rec, 0));
    ASSERT_EQ(0, f.insert(r));
    EXPECT_EQ(8u, Ids(f, 1).size());
    EXPECT_EQ((std::vector<uint32_t>{8, 8, 7, 8}), Counts(f));
}

TEST(Upgrade, NextWriteUpgradesWhenOpenCouldNot) {
    TempDir dir;
    const std::string path = dir.path("late.dat");
    WriteFirstFormat(path);
    WriteLock holder(path);
    File f;
    ASSERT_EQ(0, f.openFile(path));
    holder.release();
    EXPECT_EQ(kByBytes, Ids(f, 1));
    Bytes r = Make({8, "000K", "0008"});
    ASSERT_EQ(0, f.insert(r));
    std::vector<uint32_t> expect = kByValue;
    expect.insert(expect.begin() + 1, 8);
    EXPECT_EQ(expect, Ids(f, 1));
    EXPECT_EQ((std::vector<uint32_t>{8, 8, 7, 8}), Counts(f));
    EXPECT_EQ(8, StoredCount(path, 0));
}

}  // namespace

namespace {

int64_t StoredFormat(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    int64_t n = -1;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT format FROM qdx_file", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return n;
}

// Records read before the upgrade (without change tags) can be updated after
// it, and a change made after it still stops a block that read before.
TEST(Upgrade, ReadsBeforeTheUpgradeAreCheckedAfterIt) {
    TempDir dir;
    const std::string path = dir.path("tags.dat");
    WriteFirstFormat(path);
    WriteLock holder(path);
    File a, b;
    ASSERT_EQ(0, a.openFile(path));
    ASSERT_EQ(0, b.openFile(path));
    Bytes ra, rb, key = {5, 0, 0, 0};
    ASSERT_EQ(0, a.get(kGetEqual, ra, key, 0));
    key = {5, 0, 0, 0};
    ASSERT_EQ(0, b.get(kGetEqual, rb, key, 0));
    holder.release();
    ra[12] = 'a';
    ASSERT_EQ(0, a.update(ra)) << "upgrades the file";
    EXPECT_EQ(5, StoredFormat(path));
    rb[13] = 'b';
    EXPECT_EQ(80, b.update(rb));
    ASSERT_EQ(0, a.get(kGetNext, ra, key, 0));
    ASSERT_EQ(6u, GetU32(ra, 0));
    key = {5, 0, 0, 0};
    ASSERT_EQ(0, b.get(kGetEqual, rb, key, 0));
    EXPECT_EQ('a', rb[12]);
    ASSERT_EQ(0, b.get(kGetNext, rb, key, 0));
    rb[13] = 'b';
    ASSERT_EQ(0, b.update(rb));
    ra[13] = 'c';
    EXPECT_EQ(80, a.update(ra)) << "read by a scan of the upgraded file";
}

}  // namespace
