// Insert, Update, Delete, the Get and Step families, positions, key-only
// forms, variable-length records and Find Percentage.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 32;

// Key 0: unique integer at 0. Key 1: duplicates, modifiable string at 4.
// Key 2: unique, not modifiable integer at 12.
class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.path("r.dat");
        ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0x0002, 1}},
                                                      {{5, 8, 0x0003, 0}},
                                                      {{13, 4, 0, 1}}})));
        ASSERT_EQ(0, f.openFile(path));
    }
    Bytes Make(uint32_t id, const std::string& name, uint32_t code) {
        Bytes r = Record(kLen);
        PutU32(r, 0, id);
        PutText(r, 4, name, 8);
        PutU32(r, 12, code);
        return r;
    }
    void Fill(int n) {
        for (int i = 1; i <= n; ++i) {
            Bytes r = Make(uint32_t(i * 10), "n" + std::to_string(i % 3), uint32_t(1000 + i));
            ASSERT_EQ(0, f.insert(r));
        }
    }
    TempDir dir;
    std::string path;
    File f;
};

TEST_F(RecordsTest, GetFamilyStatuses) {
    Fill(5);  // keys 10..50
    Bytes rec, key;
    key = Bytes{25, 0, 0, 0};
    EXPECT_EQ(4, f.get(kGetEqual, rec, key, 0));
    key = Bytes{25, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetGreater, rec, key, 0));
    EXPECT_EQ(30u, GetU32(rec, 0));
    EXPECT_EQ(30u, GetU32(key, 0)) << "key buffer holds the found key";
    key = Bytes{30, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetGreaterOrEqual, rec, key, 0));
    EXPECT_EQ(30u, GetU32(rec, 0));
    key = Bytes{30, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetLess, rec, key, 0));
    EXPECT_EQ(20u, GetU32(rec, 0));
    key = Bytes{30, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetLessOrEqual, rec, key, 0));
    EXPECT_EQ(30u, GetU32(rec, 0));
    key = Bytes{50, 0, 0, 0};
    EXPECT_EQ(9, f.get(kGetGreater, rec, key, 0));
    key = Bytes{10, 0, 0, 0};
    EXPECT_EQ(9, f.get(kGetLess, rec, key, 0));
    EXPECT_EQ(6, f.get(kGetFirst, rec, key, 3));
    EXPECT_EQ(6, f.get(kGetFirst, rec, key, -1));
    ASSERT_EQ(0, f.get(kGetLast, rec, key, 0));
    EXPECT_EQ(9, f.get(kGetNext, rec, key, 0));
    EXPECT_EQ(7, f.get(kGetNext, rec, key, 1)) << "positioned on key 0";
    ASSERT_EQ(0, f.get(kGetFirst, rec, key, 0));
    EXPECT_EQ(9, f.get(kGetPrevious, rec, key, 0));
    File g;
    ASSERT_EQ(0, g.openFile(path));
    EXPECT_EQ(8, g.get(kGetNext, rec, key, 0)) << "no position yet";
    EXPECT_EQ(8, g.step(kStepNext, rec));
    EXPECT_EQ(8, g.erase());
    Bytes r = Make(99, "x", 9);
    EXPECT_EQ(8, g.update(r));
    EXPECT_EQ(0u, g.position());
    EXPECT_EQ(8, g.lastStatus);
}

TEST_F(RecordsTest, ShortDataBufferCopiesWhatFits) {
    Fill(2);
    Bytes rec, key;
    EXPECT_EQ(22, f.get(kGetFirst, rec, key, 0, 10));
    ASSERT_EQ(10u, rec.size());
    EXPECT_EQ(10u, GetU32(rec, 0));
    EXPECT_EQ(10u, GetU32(key, 0));
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 0)) << "the position was set";
    EXPECT_EQ(20u, GetU32(rec, 0));
    // Fixed-length files need exactly the record length.
    Bytes shortRec = Record(kLen - 1), longRec = Record(kLen + 1);
    EXPECT_EQ(22, f.insert(shortRec));
    EXPECT_EQ(22, f.insert(longRec));
}

TEST_F(RecordsTest, KeyOnlyLeavesDataUntouched) {
    Fill(3);
    Bytes data(kLen, 0xEE), key(255, 0);
    uint32_t len = 7;
    ASSERT_EQ(0, f.call(kGetLast + 50, data.data(), &len, key.data(), 255, 0));
    EXPECT_EQ(30u, GetU32(key, 0));
    EXPECT_EQ(7u, len);
    EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](uint8_t b) { return b == 0xEE; }));
    ASSERT_EQ(0, f.call(kGetPrevious + 50, data.data(), &len, key.data(), 255, 0));
    EXPECT_EQ(20u, GetU32(key, 0));
    Bytes rec;
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 0));
    EXPECT_EQ(30u, GetU32(rec, 0)) << "key-only calls position like the full ones";
}

TEST_F(RecordsTest, InsertAndUpdateReturnTheKeyAndPosition) {
    Fill(3);
    Bytes r = Make(15, "mid", 2000);
    uint32_t len = kLen;
    Bytes key(255, 0);
    ASSERT_EQ(0, f.call(kInsert, r.data(), &len, key.data(), 255, 0));
    EXPECT_EQ(15u, GetU32(key, 0));
    Bytes rec;
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 0));
    EXPECT_EQ(20u, GetU32(rec, 0)) << "Insert positioned on key 0";
    // Insert on key 1 returns key 1's value.
    r = Make(16, "zzz", 2001);
    key.assign(255, 0);
    ASSERT_EQ(0, f.call(kInsert, r.data(), &len, key.data(), 255, 1));
    EXPECT_EQ("zzz     ", std::string(key.begin(), key.begin() + 8));
    EXPECT_EQ(9, f.get(kGetNext, rec, key, 1));
}

TEST_F(RecordsTest, UpdateRules) {
    Fill(4);
    Bytes rec, key = Bytes{20, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    const uint32_t pos = f.position();
    // Key 2 is not modifiable.
    Bytes changed = rec;
    PutU32(changed, 12, 5555);
    EXPECT_EQ(10, f.update(changed));
    // Changing key 0 to an existing value: duplicate.
    changed = rec;
    PutU32(changed, 0, 30);
    EXPECT_EQ(5, f.update(changed));
    // Nothing changed by the refusals.
    key = Bytes{20, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    EXPECT_EQ(1002u, GetU32(rec, 12));
    // A good update keeps the record's position.
    changed = rec;
    PutU32(changed, 0, 35);
    ASSERT_EQ(0, f.update(changed, 0));
    EXPECT_EQ(pos, f.position());
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 0));
    EXPECT_EQ(40u, GetU32(rec, 0)) << "positioned at the new key value";
    EXPECT_EQ(4u, f.recordCount());
}

TEST_F(RecordsTest, UpdateWithKeyNumberMinusOneKeepsThePlace) {
    Fill(5);
    Bytes rec, key = Bytes{20, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    PutU32(rec, 0, 45);
    ASSERT_EQ(0, f.update(rec, -1));
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 0));
    EXPECT_EQ(30u, GetU32(rec, 0)) << "goes on from the record's old place";
    ASSERT_EQ(0, f.get(kGetPrevious, rec, key, 0));
    EXPECT_EQ(10u, GetU32(rec, 0));
}

TEST_F(RecordsTest, DeleteLeavesNoCurrentRecordButKeepsThePlace) {
    Fill(5);
    Bytes rec, key = Bytes{30, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    ASSERT_EQ(0, f.erase());
    EXPECT_EQ(8, f.erase());
    EXPECT_EQ(0u, f.position());
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 0));
    EXPECT_EQ(40u, GetU32(rec, 0));
    key = Bytes{40, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    ASSERT_EQ(0, f.erase());
    ASSERT_EQ(0, f.get(kGetPrevious, rec, key, 0));
    EXPECT_EQ(20u, GetU32(rec, 0));
    EXPECT_EQ(3u, f.recordCount());
    EXPECT_EQ(3u, f.scan(1).size());
    EXPECT_EQ(3u, f.scan(2).size());
    key = Bytes{30, 0, 0, 0};
    EXPECT_EQ(4, f.get(kGetEqual, rec, key, 0));
}

TEST_F(RecordsTest, StepVisitsEveryRecordOnceInPhysicalOrder) {
    for (uint32_t id : {50u, 10u, 40u, 20u, 30u}) {
        Bytes r = Make(id, "s", id + 7);
        ASSERT_EQ(0, f.insert(r));
    }
    std::vector<uint32_t> ids;
    Bytes rec;
    for (int16_t st = f.step(kStepFirst, rec); st == 0; st = f.step(kStepNext, rec))
        ids.push_back(GetU32(rec, 0));
    EXPECT_EQ((std::vector<uint32_t>{50, 10, 40, 20, 30}), ids);
    EXPECT_EQ(9, f.lastStatus);
    ids.clear();
    for (int16_t st = f.step(kStepLast, rec); st == 0; st = f.step(kStepPrevious, rec))
        ids.push_back(GetU32(rec, 0));
    EXPECT_EQ((std::vector<uint32_t>{30, 20, 40, 10, 50}), ids);
    // Step continues from a record found by key; Get Next after Step has no key path.
    Bytes key = Bytes{40, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    ASSERT_EQ(0, f.step(kStepNext, rec));
    EXPECT_EQ(20u, GetU32(rec, 0));
    EXPECT_EQ(8, f.get(kGetNext, rec, key, 0));
}

TEST_F(RecordsTest, PositionsSurviveUpdatesAndGetDirectSetsTheKeyPath) {
    Fill(5);
    std::vector<uint32_t> positions;
    Bytes rec, key;
    for (int16_t st = f.get(kGetFirst, rec, key, 0); st == 0; st = f.get(kGetNext, rec, key, 0))
        positions.push_back(f.position());
    ASSERT_EQ(5u, positions.size());
    EXPECT_EQ(5u, std::set<uint32_t>(positions.begin(), positions.end()).size());
    // Update every record (changing key 0 and key 1); positions stay.
    for (size_t i = 0; i < positions.size(); ++i) {
        ASSERT_EQ(0, f.direct(positions[i], rec, 0));
        PutU32(rec, 0, GetU32(rec, 0) + 1);
        PutText(rec, 4, "upd", 8);
        ASSERT_EQ(0, f.update(rec));
        EXPECT_EQ(positions[i], f.position());
    }
    ASSERT_EQ(0, f.direct(positions[2], rec, 0));
    EXPECT_EQ(31u, GetU32(rec, 0));
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 0));
    EXPECT_EQ(41u, GetU32(rec, 0));
    ASSERT_EQ(0, f.direct(positions[2], rec, 2));
    ASSERT_EQ(0, f.get(kGetPrevious, rec, key, 2));
    EXPECT_EQ(1002u, GetU32(rec, 12));
    EXPECT_EQ(7, f.get(kGetNext, rec, key, 0));
    // A position that holds no record.
    ASSERT_EQ(0, f.get(kGetFirst, rec, key, 0));
    ASSERT_EQ(0, f.erase());
    EXPECT_EQ(43, f.direct(positions[0], rec, 0));
    EXPECT_EQ(43, f.direct(123456, rec, 0));
    EXPECT_EQ(6, f.direct(positions[1], rec, 9));
}

// A saved position of a deleted record answers 43 for good: no later record
// gets it, not after deleting the last record, reopening, or an abort.
TEST_F(RecordsTest, PositionsAreNeverReused) {
    Fill(3);
    Bytes rec, key;
    std::set<uint32_t> used;
    ASSERT_EQ(0, f.step(kStepLast, rec));
    const uint32_t last = f.position();
    used.insert(last);
    ASSERT_EQ(0, f.erase());
    Bytes r = Make(40, "new", 2040);
    ASSERT_EQ(0, f.insert(r));
    EXPECT_GT(f.position(), last);
    used.insert(f.position());
    EXPECT_EQ(43, f.direct(last, rec, 0)) << "the deleted record's position";
    // Empty the file; positions still go up, also after reopening.
    while (f.get(kGetFirst, rec, key, 0) == 0) {
        used.insert(f.position());
        ASSERT_EQ(0, f.erase());
    }
    ASSERT_EQ(0, f.close());
    ASSERT_EQ(0, f.openFile(path));
    r = Make(50, "again", 2050);
    ASSERT_EQ(0, f.insert(r));
    const uint32_t again = f.position();
    EXPECT_GT(again, *used.rbegin());
    // A position handed out in an aborted transaction is not handed out again.
    uint32_t len = 0;
    ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    r = Make(60, "aborted", 2060);
    ASSERT_EQ(0, f.insert(r));
    const uint32_t aborted = f.position();
    ASSERT_EQ(0, f.call(kAbort, nullptr, &len, nullptr, 0, 0));
    r = Make(70, "after", 2070);
    ASSERT_EQ(0, f.insert(r));
    EXPECT_NE(aborted, f.position());
    EXPECT_EQ(0u, used.count(f.position()));
    EXPECT_GT(f.position(), again);
    EXPECT_EQ(43, f.direct(aborted, rec, 0));
    for (uint32_t p : used) EXPECT_EQ(43, f.direct(p, rec, 0)) << p;
}

TEST_F(RecordsTest, FindPercentage) {
    Fill(10);  // keys 10..100
    auto pct = [&](int8_t keyNumber, uint32_t value) {
        uint8_t data[4] = {}, key[255] = {};
        uint32_t len = 4;
        for (int i = 0; i < 4; ++i) (keyNumber >= 0 ? key : data)[i] = uint8_t(value >> (8 * i));
        int16_t st = f.call(kFindPercentage, data, &len, key, 255, keyNumber);
        return st == 0 ? int64_t(GetU32(Bytes(data, data + 4), 0)) : -int64_t(st);
    };
    EXPECT_EQ(0, pct(0, 10));
    EXPECT_EQ(5000, pct(0, 60));
    EXPECT_EQ(9000, pct(0, 100));
    EXPECT_EQ(10000, pct(0, 1000));
    Bytes rec, key;
    ASSERT_EQ(0, f.step(kStepLast, rec));
    EXPECT_EQ(9000, pct(-1, f.position()));
    EXPECT_EQ(-43, pct(-1, 999999));
    EXPECT_EQ(-6, pct(7, 10));
}

TEST(VariableLength, RecordsFromTheFixedPartUpTo32768) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("v.dat"), MakeSpec(8, {{{1, 4, 0, 1}}}, 0x0001)));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("v.dat")));
    for (size_t n : {8u, 9u, 1000u, 32768u}) {
        Bytes r(n);
        for (size_t i = 0; i < n; ++i) r[i] = uint8_t(i * 7 + n);
        PutU32(r, 0, uint32_t(n));
        ASSERT_EQ(0, f.insert(r)) << n;
    }
    Bytes tooShort(7), tooLong(32769);
    EXPECT_EQ(22, f.insert(tooShort));
    EXPECT_EQ(22, f.insert(tooLong));
    for (size_t n : {8u, 9u, 1000u, 32768u}) {
        Bytes rec, key(4);
        PutU32(key, 0, uint32_t(n));
        ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0)) << n;
        ASSERT_EQ(n, rec.size());
        EXPECT_EQ(uint8_t((n - 1) * 7 + n), rec[n - 1]) << n;
    }
    std::vector<uint8_t> s;
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(1, s[10] & 1);
    // Update to a different length.
    Bytes rec, key(4);
    PutU32(key, 0, 1000);
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    rec.resize(20);
    ASSERT_EQ(0, f.update(rec));
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    EXPECT_EQ(20u, rec.size());
}

}  // namespace
