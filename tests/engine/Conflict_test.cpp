// Read-then-write conflicts: an Update or Delete through a position block
// whose last read of the record is older than the record's last change
// answers 80 and changes nothing, whether the change came from another
// position block of this process or from another process, inside
// transactions or not. Run in both journal modes.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <random>

#include "ChildProcess.h"
#include "EngineClient.h"
#include "JournalMode.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 24;
constexpr uint32_t kShared = 20;

// id at 0 (key 0), then one counter per writer at 4 + 4 * writer.
Bytes Make(uint32_t id) {
    Bytes r = Record(kLen);
    PutU32(r, 0, id);
    return r;
}

int16_t GetById(File& f, uint32_t id, Bytes& rec, uint16_t bias = 0) {
    Bytes key(4);
    PutU32(key, 0, id);
    return f.get(uint16_t(kGetEqual + bias), rec, key, 0);
}

int16_t UpdateWithBias(File& f, Bytes& rec, uint16_t bias) {
    uint32_t len = uint32_t(rec.size());
    uint8_t key[255] = {};
    return f.call(uint16_t(kUpdate + bias), rec.data(), &len, key, 255, 0);
}

class Conflict : public JournalModeTest {};

TEST_P(Conflict, AnotherPositionBlocksChangeIsNotOverwritten) {
    TempDir dir;
    const std::string path = dir.path("c.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0x0002, 14}}})));
    File a, b;
    ASSERT_EQ(0, a.openFile(path));
    ASSERT_EQ(0, b.openFile(path));
    for (uint32_t id = 1; id <= 3; ++id) {
        Bytes r = Make(id);
        ASSERT_EQ(0, a.insert(r));
    }
    Bytes ra, rb;
    ASSERT_EQ(0, GetById(a, 1, ra));
    ASSERT_EQ(0, GetById(b, 1, rb));
    PutU32(rb, 4, 7);
    ASSERT_EQ(0, b.update(rb));
    PutU32(ra, 8, 9);
    EXPECT_EQ(80, a.update(ra)) << "a read the record before b changed it";
    EXPECT_EQ(80, a.erase()) << "nor may a delete it";
    ASSERT_EQ(0, GetById(a, 1, ra));
    EXPECT_EQ(7u, GetU32(ra, 4)) << "b's change is kept";
    EXPECT_EQ(0u, GetU32(ra, 8)) << "a's refused change is not there";
    PutU32(ra, 8, 9);
    EXPECT_EQ(0, a.update(ra)) << "after reading again";
    // Own sequences: update, update again without reading, read, update.
    PutU32(ra, 12, 1);
    EXPECT_EQ(0, a.update(ra));
    ASSERT_EQ(0, GetById(a, 1, ra));
    PutU32(ra, 12, 2);
    EXPECT_EQ(0, a.update(ra));
    ASSERT_EQ(0, GetById(b, 1, rb));
    EXPECT_EQ((std::vector<uint32_t>{1, 7, 9, 2}),
              (std::vector<uint32_t>{GetU32(rb, 0), GetU32(rb, 4), GetU32(rb, 8), GetU32(rb, 12)}));

    // Positioned by every kind of read, then changed by the other block.
    struct Read {
        const char* name;
        std::function<int16_t(File&, Bytes&)> read;
    };
    const Read reads[] = {
        {"Get Equal", [](File& f, Bytes& r) { return GetById(f, 2, r); }},
        {"Get Next", [](File& f, Bytes& r) {
             Bytes k(4);
             PutU32(k, 0, 1);
             if (int16_t st = f.get(kGetEqual, r, k, 0)) return st;
             return f.get(kGetNext, r, k, 0);
         }},
        {"Step Next", [](File& f, Bytes& r) {
             if (int16_t st = f.step(kStepFirst, r)) return st;
             return f.step(kStepNext, r);
         }},
        {"Get Direct", [](File& f, Bytes& r) {
             Bytes k;
             if (int16_t st = GetById(f, 2, r)) return st;
             return f.direct(f.position(), r, 0);
         }},
    };
    for (const Read& read : reads) {
        SCOPED_TRACE(read.name);
        ASSERT_EQ(0, read.read(a, ra));
        ASSERT_EQ(2u, GetU32(ra, 0));
        ASSERT_EQ(0, GetById(b, 2, rb));
        PutU32(rb, 4, GetU32(rb, 4) + 1);
        ASSERT_EQ(0, b.update(rb, -1));
        EXPECT_EQ(80, a.update(ra));
        ASSERT_EQ(0, read.read(a, ra));
        EXPECT_EQ(0, a.update(ra));
    }

    // Update after the other's Delete: the record is gone (8); Delete after
    // the other's Update: 80.
    ASSERT_EQ(0, GetById(a, 3, ra));
    ASSERT_EQ(0, GetById(b, 3, rb));
    ASSERT_EQ(0, b.erase());
    EXPECT_EQ(8, a.update(ra));
    EXPECT_EQ(2u, a.recordCount());
}

TEST_P(Conflict, InsideTransactionsToo) {
    TempDir dir;
    const std::string path = dir.path("t.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0x0002, 14}}})));
    File a, b;
    ASSERT_EQ(0, a.openFile(path));
    ASSERT_EQ(0, b.openFile(path));
    Bytes r = Make(1);
    ASSERT_EQ(0, a.insert(r));
    uint32_t len = 0;
    Bytes ra, rb;
    ASSERT_EQ(0, a.call(kBegin, nullptr, &len, nullptr, 0, 0));
    ASSERT_EQ(0, GetById(a, 1, ra));
    ASSERT_EQ(0, GetById(b, 1, rb));
    PutU32(rb, 4, 5);
    ASSERT_EQ(0, b.update(rb));
    PutU32(ra, 8, 6);
    EXPECT_EQ(80, a.update(ra));
    ASSERT_EQ(0, GetById(a, 1, ra));
    PutU32(ra, 8, 6);
    EXPECT_EQ(0, a.update(ra)) << "read again inside the transaction";
    ASSERT_EQ(0, a.call(kEnd, nullptr, &len, nullptr, 0, 0));
    ASSERT_EQ(0, GetById(b, 1, rb));
    EXPECT_EQ(5u, GetU32(rb, 4));
    EXPECT_EQ(6u, GetU32(rb, 8));

    // A change undone by Abort: the block that saw the undone record must
    // read again, and the block that read before the transaction still may
    // update.
    ASSERT_EQ(0, GetById(b, 1, rb));
    ASSERT_EQ(0, a.call(kBegin, nullptr, &len, nullptr, 0, 0));
    ASSERT_EQ(0, GetById(a, 1, ra));
    PutU32(ra, 12, 1);
    ASSERT_EQ(0, a.update(ra));
    ASSERT_EQ(0, a.call(kAbort, nullptr, &len, nullptr, 0, 0));
    PutU32(ra, 12, 2);
    EXPECT_EQ(80, a.update(ra)) << "what a last read was undone";
    PutU32(rb, 16, 3);
    EXPECT_EQ(0, b.update(rb)) << "b read the record as it is again";
}

// Two processes increment their own counter in shared records by reading
// and updating them. An update that answered 0 is in the final record; a
// refused one answered 80 (or 85 while the other held the file).
void SharedIncrements(const std::string& path, bool transactions, uint16_t bias) {
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0x0002, 14}}})));
    {
        File f;
        ASSERT_EQ(0, f.openFile(path));
        for (uint32_t id = 0; id < kShared; ++id) {
            Bytes r = Make(id);
            ASSERT_EQ(0, f.insert(r));
        }
    }
    constexpr int kRounds = 600;
    // Child exit: 0 fine, 1 + an unexpected status otherwise; counts by pipe.
    auto body = [&](int writer) {
        return [&, writer](Child& self) -> int {
            File f;
            if (f.openFile(path) != 0) return 1;
            std::mt19937 rng(11 + writer);
            std::vector<uint32_t> done(kShared, 0);
            uint32_t refused = 0;
            self.receive();  // start together
            for (int i = 0; i < kRounds; ++i) {
                const uint32_t id = rng() % kShared;
                uint32_t len = 0;
                if (transactions && f.call(kBegin, nullptr, &len, nullptr, 0, 0) != 0) return 2;
                Bytes rec;
                int16_t st = GetById(f, id, rec, bias);
                if (st == 0) {
                    PutU32(rec, 4 + 4 * writer, GetU32(rec, 4 + 4 * writer) + 1);
                    st = UpdateWithBias(f, rec, bias);
                }
                if (transactions) {
                    const int16_t end = f.call(st == 0 ? kEnd : kAbort, nullptr, &len, nullptr, 0, 0);
                    if (st == 0 && end != 0) st = end;
                }
                if (st == 0) {
                    ++done[id];
                } else if (st == 80 || st == 85) {
                    ++refused;
                } else {
                    return 10 + st;
                }
            }
            for (uint32_t n : done) self.send(n);
            self.send(refused);
            return 0;
        };
    };
    Child c0(body(0)), c1(body(1));
    c0.send(1);
    c1.send(1);
    std::vector<uint32_t> done[2];
    for (int w = 0; w < 2; ++w) {
        Child& c = w == 0 ? c0 : c1;
        for (uint32_t id = 0; id < kShared; ++id) done[w].push_back(c.receive());
        const uint32_t refused = c.receive();
        uint32_t total = 0;
        for (uint32_t n : done[w]) total += n;
        EXPECT_EQ(uint32_t(kRounds), total + refused) << "writer " << w;
    }
    EXPECT_EQ(0, c0.wait());
    EXPECT_EQ(0, c1.wait());
    File f;
    ASSERT_EQ(0, f.openFile(path));
    for (uint32_t id = 0; id < kShared; ++id) {
        Bytes rec;
        ASSERT_EQ(0, GetById(f, id, rec));
        EXPECT_EQ(done[0][id], GetU32(rec, 4)) << "record " << id << ", writer 0";
        EXPECT_EQ(done[1][id], GetU32(rec, 8)) << "record " << id << ", writer 1";
    }
}

TEST_P(Conflict, TwoProcessesNeverLoseAnUpdate) {
    TempDir dir;
    SharedIncrements(dir.path("shared.dat"), false, 0);
}

TEST_P(Conflict, TwoProcessesInTransactionsWithLockBiases) {
    TempDir dir;
    SharedIncrements(dir.path("sharedtx.dat"), true, 100);
    TempDir dir2;
    SharedIncrements(dir2.path("sharednw.dat"), false, 400);
}

INSTANTIATE_JOURNAL_MODES(Conflict);

}  // namespace
