// Stat's record count and each key's number of distinct values, kept in the
// file with every write: checked against a model through random inserts,
// updates, deletes, refused writes, committed and aborted transactions and
// index creation and removal.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "ChildProcess.h"
#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 24;

// Record layout: id (4, unique), name (4, duplicates, case-insensitive),
// code (2, duplicates, null when 0), class (1) + tag (2) (duplicates,
// segmented). Every key modifiable.
struct Rec {
    uint32_t id;
    std::string name;
    uint16_t code;
    uint8_t cls;
    std::string tag;
};

Bytes Encode(const Rec& r) {
    Bytes b = Record(kLen);
    PutU32(b, 0, r.id);
    PutText(b, 4, r.name, 4);
    b[8] = uint8_t(r.code);
    b[9] = uint8_t(r.code >> 8);
    b[10] = r.cls;
    PutText(b, 11, r.tag, 2);
    return b;
}

std::string Fold(std::string s) {
    for (char& c : s) c = char(toupper(uint8_t(c)));
    return s;
}

class Model {
public:
    std::map<uint32_t, Rec> rows;
    bool tagKey = true;  // key 3 present

    std::vector<uint32_t> unique() const {
        std::set<std::string> names, tags;
        std::set<uint16_t> codes;
        for (const auto& [id, r] : rows) {
            names.insert(Fold(r.name));
            if (r.code) codes.insert(r.code);
            tags.insert(std::string(1, char(r.cls)) + r.tag);
        }
        std::vector<uint32_t> u = {uint32_t(rows.size()), uint32_t(names.size()), uint32_t(codes.size())};
        if (tagKey) u.push_back(uint32_t(tags.size()));
        return u;
    }
};

// Stat's counts: records, then the distinct values of each key.
std::vector<uint32_t> StatCounts(File& f, uint32_t* records) {
    Bytes s;
    EXPECT_EQ(0, f.stat(s));
    *records = GetU32(s, 6);
    std::vector<uint32_t> u;
    size_t at = 16;
    for (int k = 0; k < s[4]; ++k) {
        u.push_back(GetU32(s, at + 6));
        while (s[at + 4] & 0x10) at += 16;  // the key's further segments
        at += 16;
    }
    return u;
}

Rec RandomRec(std::mt19937& rng, uint32_t id) {
    static const char* names[] = {"ab", "AB", "cd", "Cd", "ef", "gh"};
    static const char* tags[] = {"x", "y", "z"};
    return {id, names[rng() % 6], uint16_t(rng() % 5), uint8_t(rng() % 3), tags[rng() % 3]};
}

TEST(Counts, StatCountsFollowEveryKindOfWrite) {
    TempDir dir;
    const std::string path = dir.path("c.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0x0002, 1}},
                                                  {{5, 4, 0x0403, 0}},
                                                  {{9, 2, 0x000B, 14, 0}},
                                                  {{11, 1, 0x0003, 14}, {12, 2, 0x0003, 0}}})));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    Model model, saved;
    std::mt19937 rng(2024);
    bool inTransaction = false;
    uint32_t len = 0;
    auto check = [&](int step) {
        uint32_t records = 0;
        const std::vector<uint32_t> got = StatCounts(f, &records);
        ASSERT_EQ(model.rows.size(), records) << "after step " << step;
        ASSERT_EQ(model.unique(), got) << "after step " << step;
    };
    for (int step = 0; step < 1500; ++step) {
        const uint32_t op = rng() % 100;
        if (step % 60 == 0 && !inTransaction) {
            ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
            inTransaction = true;
            saved = model;
        } else if (step % 60 == 40 && inTransaction) {
            const bool abort = rng() % 3 == 0;
            ASSERT_EQ(0, f.call(abort ? kAbort : kEnd, nullptr, &len, nullptr, 0, 0));
            if (abort) model = saved;
            inTransaction = false;
        }
        if (step == 700) {
            // Drop the segmented key, then add it back over the records.
            ASSERT_FALSE(inTransaction);
            ASSERT_EQ(0, f.call(kDropIndex, nullptr, &len, nullptr, 0, 3));
            model.tagKey = false;
            check(step);
            Bytes seg = MakeIndexSpec({{11, 1, 0x0003, 14}, {12, 2, 0x0003, 0}});
            uint32_t segLen = uint32_t(seg.size());
            ASSERT_EQ(0, f.call(kCreateIndex, seg.data(), &segLen, nullptr, 0, 0));
            model.tagKey = true;
        }
        const uint32_t id = rng() % 120;
        if (op < 50) {
            Rec r = RandomRec(rng, id);
            Bytes b = Encode(r);
            const int16_t st = f.insert(b);
            ASSERT_EQ(model.rows.count(id) ? 5 : 0, st) << "insert " << id << " at step " << step;
            if (st == 0) model.rows[id] = r;
        } else {
            Bytes rec, key(4);
            PutU32(key, 0, id);
            const int16_t st = f.get(kGetEqual, rec, key, 0);
            ASSERT_EQ(model.rows.count(id) ? 0 : 4, st) << "get " << id << " at step " << step;
            if (st != 0) continue;
            if (op < 80) {
                Rec r = RandomRec(rng, rng() % 4 == 0 ? rng() % 120 : id);
                Bytes b = Encode(r);
                const int16_t up = f.update(b);
                const bool clash = r.id != id && model.rows.count(r.id);
                ASSERT_EQ(clash ? 5 : 0, up) << "update " << id << " at step " << step;
                if (up == 0) {
                    model.rows.erase(id);
                    model.rows[r.id] = r;
                }
            } else {
                ASSERT_EQ(0, f.erase());
                model.rows.erase(id);
            }
        }
        if (step % 25 == 0) check(step);
    }
    if (inTransaction) {
        ASSERT_EQ(0, f.call(kEnd, nullptr, &len, nullptr, 0, 0));
    }
    check(-1);
    f.close();
    File g;
    ASSERT_EQ(0, g.openFile(path));
    uint32_t records = 0;
    EXPECT_EQ(model.unique(), StatCounts(g, &records));
    EXPECT_EQ(model.rows.size(), records);
}

// Two processes writing in turns: each write starts from the counters as the
// other process left them.
TEST(Counts, TwoProcessesWritingInTurns) {
    TempDir dir;
    const std::string path = dir.path("two.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0x0002, 1}}, {{5, 4, 0x0003, 0}}})));
    constexpr uint32_t kTurns = 40;
    // Each side inserts two records a turn and deletes the first of them;
    // the names repeat every three records.
    auto turn = [](File& f, uint32_t base) {
        for (uint32_t i = 0; i < 2; ++i) {
            Bytes b = Encode({base + i, std::string(1, char('a' + (base + i) % 3)), 0, 0, ""});
            if (f.insert(b) != 0) return false;
        }
        Bytes rec, key(4);
        PutU32(key, 0, base);
        return f.get(kGetEqual, rec, key, 0) == 0 && f.erase() == 0;
    };
    Child child([&](Child& self) {
        File f;
        if (f.openFile(path) != 0) return 1;
        for (uint32_t t = 0; t < kTurns; ++t) {
            if (self.receive() != t) return 2;
            if (!turn(f, 1000 + 10 * t)) return 3;
            self.send(t);
        }
        return 0;
    });
    File f;
    ASSERT_EQ(0, f.openFile(path));
    for (uint32_t t = 0; t < kTurns; ++t) {
        ASSERT_TRUE(turn(f, 10 * t));
        child.send(t);
        ASSERT_EQ(t, child.receive());
    }
    ASSERT_EQ(0, child.wait());
    uint32_t records = 0;
    EXPECT_EQ((std::vector<uint32_t>{2 * kTurns, 3}), StatCounts(f, &records));
    EXPECT_EQ(2 * kTurns, records);
    EXPECT_EQ(records, f.stepAll().size());
}

// Stat answers from counters stored in the file, not from a pass over the
// indexes: entries removed behind the engine's back do not change it.
TEST(Counts, StatReadsStoredCounters) {
    TempDir dir;
    const std::string path = dir.path("s.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 1}}, {{5, 4, 0x0003, 0}}})));
    {
        File f;
        ASSERT_EQ(0, f.openFile(path));
        for (uint32_t i = 0; i < 10; ++i) {
            Bytes b = Encode({i, i % 2 ? "odd" : "even", 0, 0, ""});
            ASSERT_EQ(0, f.insert(b));
        }
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "DELETE FROM qdx_record WHERE rid > 5; DELETE FROM qdx_k2",
                                      nullptr, nullptr, nullptr));
    sqlite3_close(db);
    File f;
    ASSERT_EQ(0, f.openFile(path));
    uint32_t records = 0;
    EXPECT_EQ((std::vector<uint32_t>{10, 2}), StatCounts(f, &records));
    EXPECT_EQ(10u, records);
}

}  // namespace
