// Damaged files: random bytes written over the pages of a copy (fixed
// seeds). No write is acknowledged on a file SQLite calls damaged, the
// engine's full check (its own operation) finds the damage, and an
// undamaged file checks sound.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "EngineClient.h"
#include "engine/Contract.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 60;
constexpr uint32_t kRecords = 900;
constexpr int kRuns = 24;

Bytes Make(uint32_t i) {
    Bytes r = Record(kLen);
    PutU32(r, 0, i * 7919 % 100003);
    PutText(r, 4, "group" + std::to_string(i % 37), 12);
    PutText(r, 16, "text of record " + std::to_string(i), 44);
    return r;
}

bool SqliteCallsItSound(const std::string& path) {
    sqlite3* db = nullptr;
    bool sound = false;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            sound = std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))) == "ok";
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return sound;
}

// The check operation: its status and its report.
int16_t Check(File& f, std::string& report) {
    std::string buffer(8192, '\0');
    uint32_t len = uint32_t(buffer.size());
    uint8_t key[255] = {};
    const int16_t st = f.call(qdx::wire::kOpCheckFile, &buffer[0], &len, key, 255, 0);
    report = buffer.substr(0, len);
    return st;
}

std::vector<Bytes> AllRecords(File& f, int16_t* end) {
    std::vector<Bytes> out;
    Bytes rec;
    for (int16_t st = f.step(kStepFirst, rec); ; st = f.step(kStepNext, rec)) {
        if (st != 0) {
            *end = st;
            return out;
        }
        out.push_back(rec);
    }
}

class Damage : public ::testing::Test {
protected:
    void SetUp() override {
        original_ = dir_.path("original.dat");
        ASSERT_EQ(0, CreateFile(original_, MakeSpec(kLen, {{{1, 4, 0, 14}}, {{5, 12, 0x0003, 0}}})));
        File f;
        ASSERT_EQ(0, f.openFile(original_));
        for (uint32_t i = 0; i < kRecords; ++i) {
            Bytes r = Make(i);
            ASSERT_EQ(0, f.insert(r));
        }
        int16_t end = 0;
        records_ = AllRecords(f, &end);
    }
    // A copy of the original with 200 random bytes changed from page 3 on.
    std::string DamagedCopy(int seed) {
        const std::string path = dir_.path("copy" + std::to_string(seed) + ".dat");
        std::ifstream in(original_, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::mt19937 rng(seed);
        for (int i = 0; i < 200; ++i) bytes[2 * 4096 + rng() % (bytes.size() - 2 * 4096)] = char(rng());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    TempDir dir_;
    std::string original_;
    std::vector<Bytes> records_;
};

TEST_F(Damage, TheUndamagedFileChecksSound) {
    File f;
    ASSERT_EQ(0, f.openFile(original_));
    std::string report;
    EXPECT_EQ(0, Check(f, report)) << report;
    EXPECT_EQ("", report);
    Bytes r = Make(kRecords);
    EXPECT_EQ(0, f.insert(r)) << "a sound file stays writable after its check";
}

TEST_F(Damage, NoWriteOnADamagedFileAndTheCheckFindsIt) {
    int damagedBySqlite = 0;
    for (int seed = 1; seed <= kRuns; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string path = DamagedCopy(seed);
        const bool sound = SqliteCallsItSound(path);
        if (!sound) ++damagedBySqlite;
        {
            // Writes first: the engine must not acknowledge any of them.
            File f;
            if (f.openFile(path) == 0) {
                Bytes r = Make(kRecords + 1), rec, key;
                const int16_t insert = f.insert(r);
                int16_t update = -1, erase = -1;
                if (f.get(kGetFirst, rec, key, 1) == 0) {
                    rec[20] ^= 1;
                    update = f.update(rec, 1);
                    erase = f.erase(1);
                }
                if (!sound) {
                    EXPECT_NE(0, insert);
                    EXPECT_NE(0, update);
                    EXPECT_NE(0, erase);
                }
            }
        }
        // A fresh copy for the check: the writes above may have been
        // refused halfway, or gone through on a file SQLite found sound.
        const std::string fresh = DamagedCopy(seed);
        File f;
        if (f.openFile(fresh) != 0) continue;  // unreadable: damage found at open
        int16_t end = 0;
        const bool sameRecords = AllRecords(f, &end) == records_ && end == 9;
        std::string report;
        const int16_t st = Check(f, report);
        if (!sound || !sameRecords) {
            EXPECT_EQ(2, st) << "damage not found";
            EXPECT_FALSE(report.empty());
        }
        if (st == 2) {
            Bytes r = Make(kRecords + 2);
            EXPECT_EQ(2, f.insert(r)) << "writes refused after the check found damage";
        }
    }
    EXPECT_GE(damagedBySqlite, kRuns / 2) << "the damage must mostly be visible to SQLite for this test to mean much";
}

// Damage SQLite cannot see: a record's bytes changed inside its cell. The
// check finds that its key entries no longer match it.
TEST_F(Damage, RecordBytesThatNoLongerMatchTheirKeys) {
    const std::string path = dir_.path("cell.dat");
    std::filesystem::copy_file(original_, path);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const std::string text = "group5      text of record";  // in a record, not in an entry
    // Every copy: pages keep stale bytes of cells that moved.
    size_t changed = 0;
    for (size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1), ++changed)
        bytes[at + 5] = '6';
    ASSERT_GT(changed, 0u);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ASSERT_TRUE(SqliteCallsItSound(path));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    std::string report;
    EXPECT_EQ(2, Check(f, report));
    EXPECT_NE(std::string::npos, report.find("key 1: no entry for the record at position")) << report;
}

// Damage met by a read (a page that can no longer be parsed): the read
// answers 2 and every write is refused until the file is opened again.
TEST_F(Damage, DamageMetByAReadRefusesLaterWrites) {
    int met = 0;
    for (int seed = 100; seed < 100 + kRuns && met < 3; ++seed) {
        const std::string path = DamagedCopy(seed);
        if (SqliteCallsItSound(path)) continue;
        File f;
        if (f.openFile(path) != 0) continue;
        int16_t end = 0;
        AllRecords(f, &end);
        Bytes rec, key;
        if (end != 2) {
            for (int16_t st = f.get(kGetFirst, rec, key, 1); st == 0; st = f.get(kGetNext, rec, key, 1)) {}
            end = f.lastStatus;
        }
        if (end != 2) continue;
        ++met;
        Bytes r = Make(kRecords + 3);
        EXPECT_EQ(2, f.insert(r)) << "seed " << seed;
    }
    EXPECT_GT(met, 0) << "no seed met damage on a read";
}

}  // namespace
