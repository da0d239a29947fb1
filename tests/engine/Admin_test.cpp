// Stat, owner names and modes, supplemental indexes, in-process transactions.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 24;

Bytes Make(uint32_t id, const std::string& name) {
    Bytes r = Record(kLen);
    PutU32(r, 0, id);
    PutText(r, 4, name, 10);
    return r;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int16_t OwnerCall(File& f, uint16_t op, const std::string& name, int8_t mode) {
    std::vector<char> data(255, 0), key(255, 0);
    std::copy(name.begin(), name.end(), data.begin());
    std::copy(name.begin(), name.end(), key.begin());
    uint32_t len = 255;
    return f.call(op, data.data(), &len, key.data(), 255, mode);
}

int16_t CreateIndex(File& f, const KeySpec& key) {
    Bytes spec = MakeIndexSpec(key);
    uint32_t len = uint32_t(spec.size());
    uint8_t kb[255] = {};
    return f.call(kCreateIndex, spec.data(), &len, kb, 255, 0);
}

int16_t DropIndex(File& f, int keyNumber) {
    uint32_t len = 0;
    uint8_t kb[255] = {};
    return f.call(kDropIndex, nullptr, &len, kb, 255, int8_t(keyNumber));
}

TEST(Stat, LayoutOfKeysAndCounts) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("s.dat"),
                            MakeSpec(kLen, {{{1, 4, 0, 1}}, {{5, 6, 0x0001 | 0x0400, 0}, {11, 2, 0x0001, 14}}},
                                     0, 1024)));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("s.dat")));
    const char* names[] = {"aa", "AA", "bb", "aa", "cc"};
    for (uint32_t i = 0; i < 5; ++i) {
        Bytes r = Make(i, names[i]);
        r[10] = 0;
        r[11] = 0;
        ASSERT_EQ(0, f.insert(r));
    }
    Bytes s;
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(kLen, s[0] | s[1] << 8u);
    EXPECT_EQ(1024, s[2] | s[3] << 8);
    EXPECT_EQ(2, s[4]);
    EXPECT_EQ(0x95, s[5]);
    EXPECT_EQ(5u, GetU32(s, 6));
    // Segment entries at 16, 32, 48.
    EXPECT_EQ(1, s[16]);
    EXPECT_EQ(4, s[18]);
    EXPECT_EQ(0x100, s[20] | s[21] << 8);
    EXPECT_EQ(5u, GetU32(s, 16 + 6)) << "unique values of key 0";
    EXPECT_EQ(1, s[16 + 10]);
    EXPECT_EQ(0, s[16 + 14]);
    EXPECT_EQ(5, s[32]);
    EXPECT_EQ(0x0001 | 0x0400 | 0x0010 | 0x0100, s[36] | s[37] << 8);
    EXPECT_EQ(3u, GetU32(s, 32 + 6)) << "aa and AA are one value without case";
    EXPECT_EQ(1, s[32 + 14]);
    EXPECT_EQ(14, s[48 + 10]);
    EXPECT_EQ(1, s[48 + 14]);
    // Too small a buffer.
    Bytes small(40);
    uint32_t len = 40;
    uint8_t key[255];
    EXPECT_EQ(22, f.call(kStat, small.data(), &len, key, 255, -1));
}

TEST(Owner, ModesAndStatuses) {
    TempDir dir;
    for (int mode = 0; mode <= 3; ++mode) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        const std::string path = dir.path("o" + std::to_string(mode) + ".dat");
        ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 1}}})));
        {
            File f;
            ASSERT_EQ(0, f.openFile(path));
            Bytes r = Make(1, "SECRETVAL");
            ASSERT_EQ(0, f.insert(r));
            EXPECT_EQ(51, OwnerCall(f, kSetOwner, "", mode)) << "empty name";
            EXPECT_EQ(51, OwnerCall(f, kSetOwner, "   ", mode)) << "blank name";
            EXPECT_EQ(51, OwnerCall(f, kSetOwner, "ninechars", mode)) << "too long";
            ASSERT_EQ(0, OwnerCall(f, kSetOwner, "Pa55", mode));
            EXPECT_EQ(50, OwnerCall(f, kSetOwner, "other", mode));
            r = Make(2, "SECRETTWO");
            ASSERT_EQ(0, f.insert(r)) << "the setter keeps full access";
        }
        const std::string bytes = FileBytes(path) + FileBytes(path + "-wal");
        EXPECT_EQ(std::string::npos, bytes.find("Pa55")) << "owner name never stored";
        if (mode >= 2) {
            EXPECT_EQ(std::string::npos, bytes.find("SECRETVAL")) << "records encrypted";
            EXPECT_EQ(std::string::npos, bytes.find("SECRETTWO")) << "records encrypted";
        }
        File g;
        EXPECT_EQ(51, g.openFile(path, "wrong"));
        if (mode == 0 || mode == 2) {
            EXPECT_EQ(51, g.openFile(path));
        } else {
            ASSERT_EQ(0, g.openFile(path)) << "read-only access without the owner";
            Bytes rec, key;
            ASSERT_EQ(0, g.get(kGetFirst, rec, key, 0));
            EXPECT_EQ("SECRETVAL", std::string(rec.begin() + 4, rec.begin() + 13));
            Bytes r = Make(3, "x");
            EXPECT_EQ(46, g.insert(r));
            EXPECT_EQ(46, g.update(rec));
            EXPECT_EQ(46, g.erase());
            EXPECT_EQ(46, OwnerCall(g, kClearOwner, "", 0));
            g.close();
        }
        ASSERT_EQ(0, g.openFile(path, "Pa55"));
        Bytes rec, key;
        ASSERT_EQ(0, g.get(kGetLast, rec, key, 0));
        EXPECT_EQ("SECRETTWO", std::string(rec.begin() + 4, rec.begin() + 13));
        ASSERT_EQ(0, OwnerCall(g, kClearOwner, "", 0));
        g.close();
        File h;
        ASSERT_EQ(0, h.openFile(path)) << "no owner after clearing";
        EXPECT_EQ(2u, h.scan(0).size());
        Bytes r = Make(9, "after");
        EXPECT_EQ(0, h.insert(r));
    }
}

TEST(Owner, EncryptedFileKeepsWorkingThroughUpdatesAndIndexes) {
    TempDir dir;
    const std::string path = dir.path("enc.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 1}}})));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    ASSERT_EQ(0, OwnerCall(f, kSetOwner, "k3y", 2));
    for (uint32_t i = 0; i < 20; ++i) {
        Bytes r = Make(i, "name" + std::to_string(i % 4));
        ASSERT_EQ(0, f.insert(r));
    }
    ASSERT_EQ(0, CreateIndex(f, {{5, 10, 0x0003, 0}}));
    EXPECT_EQ(20u, f.scan(1).size());
    f.close();
    File g;
    ASSERT_EQ(0, g.openFile(path, "k3y"));
    Bytes rec, key(10, ' ');
    PutText(key, 0, "name2", 10);
    ASSERT_EQ(0, g.get(kGetEqual, rec, key, 1));
    EXPECT_EQ(2u, GetU32(rec, 0));
    PutText(rec, 4, "changed", 10);
    ASSERT_EQ(0, g.update(rec, -1));
    ASSERT_EQ(0, g.direct(g.position(), rec, 0));
    EXPECT_EQ("changed", std::string(rec.begin() + 4, rec.begin() + 11));
}

TEST(Indexes, CreateOverExistingRecordsAndDrop) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("i.dat"), MakeSpec(kLen, {{{1, 4, 0, 1}}})));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("i.dat")));
    const char* names[] = {"delta", "alpha", "charlie", "alpha", "bravo"};
    for (uint32_t i = 0; i < 5; ++i) {
        Bytes r = Make(i, names[i]);
        ASSERT_EQ(0, f.insert(r));
    }
    // Unique over duplicates: refused, nothing created.
    EXPECT_EQ(5, CreateIndex(f, {{5, 10, 0, 0}}));
    Bytes s;
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(1, s[4]);
    // Bad segments.
    EXPECT_EQ(27, CreateIndex(f, {{30, 4, 0, 1}}));
    EXPECT_EQ(49, CreateIndex(f, {{5, 4, 0, 13}}));
    EXPECT_EQ(29, CreateIndex(f, {{5, 3, 0, 1}}));
    // Duplicates allowed: key 1; descending unique id: key 2.
    ASSERT_EQ(0, CreateIndex(f, {{5, 10, 0x0001, 0}}));
    ASSERT_EQ(0, CreateIndex(f, {{1, 4, 0x0040, 1}}));
    std::vector<uint32_t> got;
    for (auto& r : f.scan(1)) got.push_back(GetU32(r, 0));
    EXPECT_EQ((std::vector<uint32_t>{1, 3, 4, 2, 0}), got);
    got.clear();
    for (auto& r : f.scan(2)) got.push_back(GetU32(r, 0));
    EXPECT_EQ((std::vector<uint32_t>{4, 3, 2, 1, 0}), got);
    // New records go into the new keys.
    Bytes r = Make(7, "echo");
    ASSERT_EQ(0, f.insert(r));
    EXPECT_EQ(6u, f.scan(1).size());
    // Drop key 1 with renumbering: the descending key becomes key 1.
    ASSERT_EQ(0, DropIndex(f, 1));
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(2, s[4]);
    EXPECT_EQ(1, s[32 + 14]);
    got.clear();
    for (auto& rec : f.scan(1)) got.push_back(GetU32(rec, 0));
    EXPECT_EQ((std::vector<uint32_t>{7, 4, 3, 2, 1, 0}), got);
    Bytes rec, key;
    EXPECT_EQ(6, f.get(kGetFirst, rec, key, 2));
    // Add one more, drop key 1 keeping numbers: keys 0 and 2 remain.
    ASSERT_EQ(0, CreateIndex(f, {{5, 10, 0x0001 | 0x0400, 0}}));
    ASSERT_EQ(0, DropIndex(f, 1 + 128));
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(2, s[4]);
    EXPECT_EQ(0, s[16 + 14]);
    EXPECT_EQ(2, s[32 + 14]);
    EXPECT_EQ(6, f.get(kGetFirst, rec, key, 1));
    EXPECT_EQ(6u, f.scan(2).size());
    EXPECT_EQ(6, DropIndex(f, 1));
    // Another handle sees the change.
    File g;
    ASSERT_EQ(0, g.openFile(dir.path("i.dat")));
    EXPECT_EQ(6u, g.scan(2).size());
}

TEST(Transactions, CommitAbortAndStatuses) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("t.dat"), MakeSpec(kLen, {{{1, 4, 0, 1}}})));
    ASSERT_EQ(0, CreateFile(dir.path("u.dat"), MakeSpec(kLen, {{{1, 4, 0, 1}}})));
    File f, u;
    ASSERT_EQ(0, f.openFile(dir.path("t.dat")));
    ASSERT_EQ(0, u.openFile(dir.path("u.dat")));
    uint32_t len = 0;
    EXPECT_EQ(39, f.call(kEnd, nullptr, &len, nullptr, 0, 0));
    EXPECT_EQ(39, f.call(kAbort, nullptr, &len, nullptr, 0, 0));
    ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    EXPECT_EQ(37, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    for (uint32_t i = 0; i < 10; ++i) {
        Bytes r = Make(i, "t");
        ASSERT_EQ(0, f.insert(r));
        ASSERT_EQ(0, u.insert(r));
    }
    Bytes dup = Make(3, "dup");
    EXPECT_EQ(5, f.insert(dup)) << "a failing write inside leaves the rest";
    EXPECT_EQ(10u, f.scan(0).size()) << "visible to the caller at once";
    ASSERT_EQ(0, f.call(kAbort, nullptr, &len, nullptr, 0, 0));
    EXPECT_EQ(0u, f.scan(0).size());
    EXPECT_EQ(0u, u.scan(0).size());
    ASSERT_EQ(0, f.call(kBegin + 200, nullptr, &len, nullptr, 0, 0)) << "lock bias accepted";
    for (uint32_t i = 0; i < 10; ++i) {
        Bytes r = Make(i, "t");
        ASSERT_EQ(0, f.insert(r));
    }
    Bytes rec, key;
    ASSERT_EQ(0, f.get(kGetFirst, rec, key, 0));
    ASSERT_EQ(0, f.erase());
    f.close();  // closing inside the transaction keeps its writes pending
    ASSERT_EQ(0, u.call(kEnd, nullptr, &len, nullptr, 0, 0));
    File g;
    ASSERT_EQ(0, g.openFile(dir.path("t.dat")));
    EXPECT_EQ(9u, g.scan(0).size());
    EXPECT_EQ(9u, g.recordCount());
}

}  // namespace

namespace {

// Regression: an insert refused by its second key inside a transaction must
// not leave its record or its first key's entry behind.
TEST(Transactions, InsertRefusedByALaterKeyLeavesNothing) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("t2.dat"), MakeSpec(kLen, {{{1, 4, 0, 1}}, {{5, 10, 0, 0}}})));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("t2.dat")));
    uint32_t len = 0;
    ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    Bytes a = Make(1, "same"), b = Make(2, "same"), c = Make(3, "other");
    ASSERT_EQ(0, f.insert(a));
    EXPECT_EQ(5, f.insert(b));
    ASSERT_EQ(0, f.insert(c));
    ASSERT_EQ(0, f.call(kEnd, nullptr, &len, nullptr, 0, 0));
    EXPECT_EQ(2u, f.recordCount());
    EXPECT_EQ(2u, f.scan(0).size());
    EXPECT_EQ(2u, f.scan(1).size());
    EXPECT_EQ(2u, f.stepAll().size());
    Bytes rec, key(4);
    PutU32(key, 0, 2);
    EXPECT_EQ(4, f.get(kGetEqual, rec, key, 0));
}

}  // namespace

namespace {

// Regression: an aborted transaction that changed the file specification
// (owner, indexes) must leave the engine working from the file specification on
// disk: clearing the owner and aborting once let this process read sealed
// bytes as records and store new records in clear in an encrypted file.
TEST(Transactions, AbortRestoresOwnerAndKeys) {
    TempDir dir;
    const std::string path = dir.path("ta.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 1}}})));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    for (uint32_t i = 1; i <= 3; ++i) {
        Bytes r = Make(i, "SECRET");
        ASSERT_EQ(0, f.insert(r));
    }
    ASSERT_EQ(0, OwnerCall(f, kSetOwner, "k3y", 2));
    uint32_t len = 0;
    ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    ASSERT_EQ(0, OwnerCall(f, kClearOwner, "", 0));
    ASSERT_EQ(0, f.call(kAbort, nullptr, &len, nullptr, 0, 0));
    Bytes rec, key;
    ASSERT_EQ(0, f.get(kGetFirst, rec, key, 0)) << "the owner's handle still reads";
    ASSERT_EQ(kLen, rec.size());
    EXPECT_EQ(Make(1, "SECRET"), rec);
    Bytes r = Make(4, "SECRET");
    ASSERT_EQ(0, f.insert(r));
    EXPECT_EQ(50, OwnerCall(f, kSetOwner, "other", 2)) << "the owner is still set";

    // A key added and a key dropped inside aborted transactions.
    ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    ASSERT_EQ(0, CreateIndex(f, {{5, 10, 0x0003, 0}}));
    EXPECT_EQ(4u, f.scan(1).size());
    ASSERT_EQ(0, f.call(kAbort, nullptr, &len, nullptr, 0, 0));
    EXPECT_EQ(6, f.get(kGetFirst, rec, key, 1)) << "the key is gone again";
    r = Make(5, "SECRET");
    ASSERT_EQ(0, f.insert(r));
    ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    ASSERT_EQ(0, DropIndex(f, 0));
    ASSERT_EQ(0, f.call(kAbort, nullptr, &len, nullptr, 0, 0));
    r = Make(5, "again");
    EXPECT_EQ(5, f.insert(r)) << "key 0 is back and unique";
    EXPECT_EQ(5u, f.scan(0).size());
    f.close();

    File g;
    EXPECT_EQ(51, g.openFile(path));
    ASSERT_EQ(0, g.openFile(path, "k3y"));
    std::vector<Bytes> all = g.scan(0);
    ASSERT_EQ(5u, all.size());
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(Make(i + 1, "SECRET"), all[i]);
    EXPECT_EQ(5u, g.recordCount());
    const std::string bytes = FileBytes(path) + FileBytes(path + "-wal");
    EXPECT_EQ(std::string::npos, bytes.find("SECRET")) << "records stay encrypted";
}

}  // namespace
