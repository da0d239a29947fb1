// A read never returns a record whose delete another process committed
// before the read began, also while a scan continues a statement left open
// by the previous call; and it sees another process's update. Both journal
// modes.

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "EngineClient.h"
#include "JournalMode.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 16;
constexpr uint32_t kRecords = 240;
constexpr uint32_t kUpdate = 0x80000000u;

class Visibility : public JournalModeTest {};

// A child that deletes (or, with kUpdate, rewrites the text of) the record
// of each id it receives and answers with the status.
Child Deleter(const std::string& path) {
    return Child([path](Child& self) {
        File f;
        if (f.openFile(path) != 0) return 1;
        uint32_t v;
        while (self.receive(&v)) {
            Bytes rec, key(4);
            PutU32(key, 0, v & ~kUpdate);
            int16_t st = f.get(kGetEqual, rec, key, 0);
            if (st == 0 && (v & kUpdate)) {
                PutText(rec, 4, "changed", 12);
                st = f.update(rec);
            } else if (st == 0) {
                st = f.erase();
            }
            self.send(uint32_t(st));
        }
        return 0;
    });
}

TEST_P(Visibility, ContinuedScansDoNotReturnRecordsDeletedMeanwhile) {
    TempDir dir;
    const std::string path = dir.path("v.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 14}}})));
    {
        File f;
        ASSERT_EQ(0, f.openFile(path));
        for (uint32_t id = 0; id < kRecords; ++id) {
            Bytes r = Record(kLen);
            PutU32(r, 0, id);
            PutText(r, 4, "original", 12);
            ASSERT_EQ(0, f.insert(r));
        }
    }
    Child child = Deleter(path);
    File f;
    ASSERT_EQ(0, f.openFile(path));
    // Each round and kind of scan has 8 records of its own; the record two
    // ahead of the current one (in the scan's direction) is deleted while
    // the scan is open.
    for (uint32_t round = 0; round < kRecords / 32; ++round) {
        for (int kind = 0; kind < 4; ++kind) {
            SCOPED_TRACE("round " + std::to_string(round) + ", kind " + std::to_string(kind));
            const uint32_t base = round * 32 + uint32_t(kind) * 8;
            const bool forward = kind % 2 == 0, physical = kind >= 2;
            const uint32_t start = forward ? base : base + 7;
            const int step = forward ? 1 : -1;
            Bytes rec, key(4);
            PutU32(key, 0, start);
            ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
            auto next = [&]() {
                if (physical) return f.step(forward ? kStepNext : kStepPrevious, rec);
                return f.get(forward ? kGetNext : kGetPrevious, rec, key, 0);
            };
            ASSERT_EQ(0, next());  // the scan statement is now open
            uint32_t at = GetU32(rec, 0);
            child.send(at + 2 * step);
            ASSERT_EQ(0u, child.receive());
            ASSERT_EQ(0, next());
            EXPECT_EQ(at + step, GetU32(rec, 0));
            ASSERT_EQ(0, next());
            EXPECT_EQ(at + 3 * step, GetU32(rec, 0)) << "the deleted record was returned";
            child.send((at + 4 * step) | kUpdate);
            ASSERT_EQ(0u, child.receive());
            ASSERT_EQ(0, next());
            EXPECT_EQ(at + 4 * step, GetU32(rec, 0));
            EXPECT_EQ("changed", std::string(rec.begin() + 4, rec.begin() + 11)) << "the update is seen";
        }
    }
}

INSTANTIATE_JOURNAL_MODES(Visibility);

}  // namespace
