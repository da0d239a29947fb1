// Open scans: Get Next continuing a statement must stay exact when other
// handles position or write in between, across the row cap of a continued
// scan, and in both directions.

#include <gtest/gtest.h>

#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 16;

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.path("c.dat");
        ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 1}}, {{5, 4, 0x0003, 1}}})));
        ASSERT_EQ(0, a.openFile(path));
        ASSERT_EQ(0, b.openFile(path));
    }
    void Put(File& f, uint32_t id, uint32_t group) {
        Bytes r = Record(kLen);
        PutU32(r, 0, id);
        PutU32(r, 4, group);
        ASSERT_EQ(0, f.insert(r));
    }
    TempDir dir;
    std::string path;
    File a, b;
};

TEST_F(CursorTest, InterleavedScansOnTwoHandles) {
    for (uint32_t i = 0; i < 200; ++i) Put(a, i * 2, i % 7);
    Bytes ra, rb, ka, kb;
    ASSERT_EQ(0, a.get(kGetFirst, ra, ka, 0));
    ASSERT_EQ(0, b.get(kGetLast, rb, kb, 0));
    for (uint32_t i = 1; i < 200; ++i) {
        ASSERT_EQ(0, a.get(kGetNext, ra, ka, 0));
        ASSERT_EQ(0, b.get(kGetPrevious, rb, kb, 0));
        EXPECT_EQ(i * 2, GetU32(ra, 0));
        EXPECT_EQ((199 - i) * 2, GetU32(rb, 0));
    }
    EXPECT_EQ(9, a.get(kGetNext, ra, ka, 0));
    EXPECT_EQ(9, b.get(kGetPrevious, rb, kb, 0));
}

TEST_F(CursorTest, WritesDuringAScanAreSeen) {
    for (uint32_t i = 0; i < 100; ++i) Put(a, i * 10, 1);
    Bytes rec, key;
    ASSERT_EQ(0, a.get(kGetFirst, rec, key, 0));
    ASSERT_EQ(0, a.get(kGetNext, rec, key, 0));  // at 10
    Put(b, 15, 1);                                // just ahead
    Put(b, 5, 1);                                 // behind
    ASSERT_EQ(0, a.get(kGetNext, rec, key, 0));
    EXPECT_EQ(15u, GetU32(rec, 0));
    // Another handle deletes the next record.
    Bytes r2, k2 = Bytes{20, 0, 0, 0};
    ASSERT_EQ(0, b.get(kGetEqual, r2, k2, 0));
    ASSERT_EQ(0, b.erase());
    ASSERT_EQ(0, a.get(kGetNext, rec, key, 0));
    EXPECT_EQ(30u, GetU32(rec, 0));
    // Step scan: a record inserted during the scan comes last physically.
    ASSERT_EQ(0, a.step(kStepFirst, rec));
    Put(b, 5000, 1);
    uint32_t n = 1, last = 0;
    while (a.step(kStepNext, rec) == 0) {
        ++n;
        last = GetU32(rec, 0);
    }
    EXPECT_EQ(5000u, last);
    EXPECT_EQ(a.recordCount(), n);
}

TEST_F(CursorTest, LongScansAcrossTheContinuationCapAndDuplicates) {
    a.call(kBegin, nullptr, nullptr, nullptr, 0, 0);
    for (uint32_t i = 0; i < 9000; ++i) Put(a, i, i % 3);
    uint32_t len = 0;
    ASSERT_EQ(0, a.call(kEnd, nullptr, &len, nullptr, 0, 0));
    // Key 1 has three groups of duplicates, each in insertion order.
    Bytes rec, key;
    uint32_t n = 0, prevGroup = 0, prevId = 0;
    for (int16_t st = a.get(kGetFirst, rec, key, 1); st == 0; st = a.get(kGetNext, rec, key, 1)) {
        const uint32_t group = GetU32(rec, 4), id = GetU32(rec, 0);
        if (n > 0) {
            ASSERT_TRUE(group > prevGroup || (group == prevGroup && id > prevId)) << n;
        }
        prevGroup = group;
        prevId = id;
        ++n;
    }
    EXPECT_EQ(9000u, n);
    // Direction changes in the middle of a long scan.
    ASSERT_EQ(0, a.get(kGetFirst, rec, key, 0));
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(0, a.get(kGetNext, rec, key, 0));
    ASSERT_EQ(0, a.get(kGetPrevious, rec, key, 0));
    EXPECT_EQ(4999u, GetU32(rec, 0));
    ASSERT_EQ(0, a.get(kGetNext, rec, key, 0));
    EXPECT_EQ(5000u, GetU32(rec, 0));
}

TEST_F(CursorTest, KeyNumbersMoveWhenAnIndexIsDroppedElsewhere) {
    for (uint32_t i = 0; i < 10; ++i) Put(a, i, i);
    Bytes rec, key;
    ASSERT_EQ(0, a.get(kGetFirst, rec, key, 1));
    uint32_t len = 0;
    uint8_t kb[255] = {};
    ASSERT_EQ(0, b.call(kDropIndex, nullptr, &len, kb, 255, 0));  // key 1 becomes key 0
    EXPECT_NE(0, a.get(kGetNext, rec, key, 1)) << "key 1 no longer exists";
    EXPECT_EQ(7, a.get(kGetNext, rec, key, 0)) << "the path was on another key";
    ASSERT_EQ(0, a.get(kGetFirst, rec, key, 0));
    EXPECT_EQ(0u, GetU32(rec, 4));
}

}  // namespace
