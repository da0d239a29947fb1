// Two processes on one file, a writer killed with SIGKILL at arbitrary
// moments (outside and inside a transaction), and a disk that fills up;
// in both journal modes.
// Children are forked while the parent has no engine file open, so each
// process uses its own SQLite connections.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "ChildProcess.h"
#include "EngineClient.h"
#include "JournalMode.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 40;

Bytes Make(uint32_t id, uint32_t group) {
    Bytes r = Record(kLen);
    PutU32(r, 0, id);
    PutU32(r, 4, group);
    PutText(r, 8, "payload-" + std::to_string(id), 32);
    return r;
}

std::vector<uint8_t> TwoKeySpec() { return MakeSpec(kLen, {{{1, 4, 0, 1}}, {{5, 4, 0x0003, 14}}}); }

// Stat count, Step count and every key's count agree, and so do Stat's
// distinct values (key 0 unique, key 1 the group at 4); returns the count.
uint32_t CheckConsistent(const std::string& path, int keys) {
    File f;
    EXPECT_EQ(0, f.openFile(path));
    Bytes s;
    EXPECT_EQ(0, f.stat(s));
    const uint32_t count = GetU32(s, 6);
    EXPECT_EQ(count, f.stepAll().size()) << "step count";
    for (int k = 0; k < keys; ++k) EXPECT_EQ(count, f.scan(int8_t(k)).size()) << "key " << k;
    std::set<uint32_t> groups;
    for (auto& r : f.scan(1)) groups.insert(GetU32(r, 4));
    EXPECT_EQ(count, GetU32(s, 16 + 6)) << "distinct values of key 0";
    EXPECT_EQ(groups.size(), GetU32(s, 32 + 6)) << "distinct values of key 1";
    return count;
}

class Process : public JournalModeTest {};

TEST_P(Process, TwoProcessesSeeEachOthersCommits) {
    TempDir dir;
    const std::string path = dir.path("p.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    Child child([&](Child& self) {
        File f;
        if (f.openFile(path) != 0) return 1;
        self.receive();  // parent has written record 1
        Bytes rec, key = Bytes{1, 0, 0, 0};
        if (f.get(kGetEqual, rec, key, 0) != 0) return 2;
        Bytes r = Make(100, 7);
        if (f.insert(r) != 0) return 3;
        self.send(1);
        self.receive();  // parent has deleted record 1
        key = Bytes{1, 0, 0, 0};
        if (f.get(kGetEqual, rec, key, 0) != 4) return 4;
        return 0;
    });
    File f;
    ASSERT_EQ(0, f.openFile(path));
    Bytes r = Make(1, 7);
    ASSERT_EQ(0, f.insert(r));
    Bytes rec, key;
    ASSERT_EQ(0, f.get(kGetFirst, rec, key, 1));  // leaves a scan open
    child.send(1);
    ASSERT_EQ(1u, child.receive());
    key = Bytes{100, 0, 0, 0};
    EXPECT_EQ(0, f.get(kGetEqual, rec, key, 0)) << "the other process's insert";
    key = Bytes{1, 0, 0, 0};
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    ASSERT_EQ(0, f.erase());
    child.send(2);
    EXPECT_EQ(0, child.wait());
    EXPECT_EQ(1u, CheckConsistent(path, 2));
}

// Another process changes the keys; this process's next writes re-read them
// (the key positioned on must be looked up again after that, not used from
// the old specification).
TEST_P(Process, WritesAfterAnotherProcessChangedTheKeys) {
    TempDir dir;
    const std::string path = dir.path("spec.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    Child child([&](Child& self) {
        self.receive();
        File f;
        if (f.openFile(path) != 0) return 1;
        Bytes seg = MakeIndexSpec({{9, 8, 0x0003, 0}});
        uint32_t len = uint32_t(seg.size());
        uint8_t kb[255] = {};
        if (f.call(kCreateIndex, seg.data(), &len, kb, 255, 0) != 0) return 2;
        return 0;
    });
    File f;
    ASSERT_EQ(0, f.openFile(path));
    Bytes r = Make(1, 1);
    ASSERT_EQ(0, f.insert(r));
    child.send(1);
    ASSERT_EQ(0, child.wait());
    r = Make(2, 1);
    Bytes key(255, 0);
    uint32_t len = kLen;
    ASSERT_EQ(0, f.call(kInsert, r.data(), &len, key.data(), 255, 1));
    EXPECT_EQ(1u, GetU32(key, 0)) << "key 1's value";
    Bytes rec;
    EXPECT_EQ(9, f.get(kGetNext, rec, key, 1)) << "positioned on key 1 after the insert";
    ASSERT_EQ(0, f.get(kGetFirst, rec, key, 0));
    PutU32(rec, 4, 3);
    len = kLen;
    ASSERT_EQ(0, f.call(kUpdate, rec.data(), &len, key.data(), 255, 1));
    EXPECT_EQ(9, f.get(kGetNext, rec, key, 1));
    EXPECT_EQ(2u, f.scan(2).size()) << "the new key holds both records";
}

TEST_P(Process, WriterHeldByAnotherProcessAnswers85) {
    TempDir dir;
    const std::string path = dir.path("l.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    Child child([&](Child& self) {
        File f;
        if (f.openFile(path) != 0) return 1;
        uint32_t len = 0;
        if (f.call(kBegin, nullptr, &len, nullptr, 0, 0) != 0) return 2;
        Bytes r = Make(50, 1);
        if (f.insert(r) != 0) return 3;
        self.send(1);
        self.receive();
        if (f.call(kEnd, nullptr, &len, nullptr, 0, 0) != 0) return 4;
        self.send(2);
        return 0;
    });
    ASSERT_EQ(1u, child.receive());
    File f;
    ASSERT_EQ(0, f.openFile(path));
    Bytes r = Make(60, 1);
    EXPECT_EQ(85, f.insert(r)) << "no waiting forever for the other writer";
    uint32_t len = kLen;
    uint8_t kb[255] = {};
    EXPECT_EQ(85, f.call(kInsert + 200, r.data(), &len, kb, 255, 0)) << "with a no-wait lock bias";
    Bytes rec, key;
    EXPECT_EQ(9, f.get(kGetFirst, rec, key, 0)) << "readers are not blocked, uncommitted data unseen";
    child.send(1);
    ASSERT_EQ(2u, child.receive());
    EXPECT_EQ(0, f.insert(r));
    EXPECT_EQ(2u, f.scan(0).size());
    EXPECT_EQ(0, child.wait());
}

TEST_P(Process, ExclusiveOpenAcrossProcesses) {
    TempDir dir;
    const std::string path = dir.path("x.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    {
        Child child([&](Child& self) {
            File f;
            self.send(uint32_t(f.openFile(path, "", -4)));
            self.receive();
            return 0;
        });
        ASSERT_EQ(0u, child.receive());
        File f;
        EXPECT_EQ(88, f.openFile(path));
        child.send(1);
        EXPECT_EQ(0, child.wait());
        EXPECT_EQ(0, f.openFile(path)) << "free again once the exclusive opener is gone";
    }
    File f;
    ASSERT_EQ(0, f.openFile(path));
    f.close();
    // Open normally in the child; an exclusive open here is refused.
    Child child([&](Child& self) {
        File g;
        self.send(uint32_t(g.openFile(path)));
        self.receive();
        return 0;
    });
    ASSERT_EQ(0u, child.receive());
    EXPECT_EQ(88, f.openFile(path, "", -4));
    child.send(1);
    EXPECT_EQ(0, child.wait());
}

TEST_P(Process, KilledInsideATransactionLeavesNoTrace) {
    TempDir dir;
    const std::string path = dir.path("k.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    {
        File f;
        ASSERT_EQ(0, f.openFile(path));
        for (uint32_t i = 0; i < 5; ++i) {
            Bytes r = Make(i, i % 2);
            ASSERT_EQ(0, f.insert(r));
        }
    }
    Child child([&](Child& self) {
        File f;
        if (f.openFile(path) != 0) return 1;
        uint32_t len = 0;
        if (f.call(kBegin, nullptr, &len, nullptr, 0, 0) != 0) return 2;
        for (uint32_t i = 100; i < 2100; ++i) {
            Bytes r = Make(i, i % 3);
            if (f.insert(r) != 0) return 3;
        }
        Bytes rec, key;
        f.get(kGetFirst, rec, key, 0);
        f.erase();
        self.send(1);
        pause();
        return 0;
    });
    ASSERT_EQ(1u, child.receive());
    child.killNow();
    child.wait();
    EXPECT_EQ(5u, CheckConsistent(path, 2));
}

TEST_P(Process, KilledWriterLosesNothingAcknowledged) {
    TempDir dir;
    const std::string path = dir.path("w.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    // A record is reported before its delete (kDeleting) and after it
    // (kDeleted): killed in between, either state is right.
    constexpr uint32_t kDeleting = 0x40000000u, kDeleted = 0x80000000u, kId = 0x3FFFFFFFu;
    std::set<uint32_t> acknowledged, deleted, deleting;
    const uint32_t killAfter[] = {37, 211, 5};
    uint32_t base = 0;
    for (uint32_t round = 0; round < 3; ++round) {
        Child child([&](Child& self) {
            File f;
            if (f.openFile(path) != 0) return 1;
            for (uint32_t i = base;; ++i) {
                Bytes r = Make(i, i % 5);
                if (f.insert(r) != 0) return 2;
                // Every seventh record is then updated, every eleventh deleted.
                if (i % 7 == 0) {
                    PutU32(r, 4, 99);
                    if (f.update(r) != 0) return 3;
                }
                self.send(i);
                if (i % 11 == 0) {
                    self.send(i | kDeleting);
                    if (f.erase() != 0) return 4;
                    self.send(i | kDeleted);
                }
            }
        });
        auto note = [&](uint32_t v) {
            if (v & kDeleted) {
                deleted.insert(v & kId);
            } else if (v & kDeleting) {
                deleting.insert(v & kId);
            } else {
                acknowledged.insert(v);
            }
        };
        uint32_t v, seen = 0;
        while (seen < killAfter[round] && child.receive(&v)) {
            note(v);
            ++seen;
        }
        child.killNow();
        while (child.receive(&v)) note(v);  // acknowledgements already in the pipe
        child.wait();
        base = acknowledged.empty() ? 0 : *acknowledged.rbegin() + 1000;
        CheckConsistent(path, 2);
        File f;
        ASSERT_EQ(0, f.openFile(path));
        for (uint32_t id : acknowledged) {
            Bytes rec, key(4);
            PutU32(key, 0, id);
            const int16_t st = f.get(kGetEqual, rec, key, 0);
            if (deleting.count(id) && !deleted.count(id) && st == 4) deleted.insert(id);
            if (deleted.count(id)) {
                EXPECT_EQ(4, st) << "deleted " << id;
            } else {
                EXPECT_EQ(0, st) << "acknowledged " << id << " in round " << round;
                if (st == 0 && id % 7 == 0) {
                    EXPECT_EQ(99u, GetU32(rec, 4)) << id;
                }
            }
        }
    }
}

TEST_P(Process, FullDiskGivesAStatusAndNoDamage) {
    TempDir dir;
    const std::string path = dir.path("full.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    Child child([&](Child& self) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {300 * 1024, 300 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        File f;
        if (f.openFile(path) != 0) return 1;
        for (uint32_t i = 0;; ++i) {
            Bytes r = Make(i, i % 9);
            const int16_t st = f.insert(r);
            if (st != 0) {
                self.send(0x80000000u | uint32_t(st));
                return 0;
            }
            self.send(i);
        }
    });
    std::vector<uint32_t> acked;
    uint32_t v, failure = 0;
    while (child.receive(&v)) {
        if (v & 0x80000000u) failure = v & 0xFFFF;
        else acked.push_back(v);
    }
    EXPECT_EQ(0, child.wait());
    EXPECT_TRUE(failure == 18 || failure == 2) << "status " << failure;
    EXPECT_GT(acked.size(), 10u);
    const uint32_t count = CheckConsistent(path, 2);
    EXPECT_EQ(acked.size(), count);
    File f;
    ASSERT_EQ(0, f.openFile(path));
    Bytes rec, key(4);
    PutU32(key, 0, acked.back());
    EXPECT_EQ(0, f.get(kGetEqual, rec, key, 0));
    Bytes r = Make(999999, 1);
    EXPECT_EQ(0, f.insert(r)) << "writable again with room";
}

// Opens path, reads its record and tries to write: 0 when the file opened,
// the record was read and the engine refused the write with 46 or 2, 1 when
// the write went through, 2 when the engine answered something else, 4 when
// the file could not be opened or read.
int TryToWrite(const std::string& path) {
    File f;
    if (f.openFile(path) != 0) return 4;
    Bytes rec, key(4);
    if (f.get(kGetFirst, rec, key, 0) != 0) return 4;
    Bytes r = Make(2, 1);
    const int16_t w = f.insert(r);
    if (w == 0) return 1;
    return (w == 46 || w == 2) ? 0 : 2;
}

// A file the caller may not write, in a directory it may or may not write:
// it opens and reads, every write is refused with a status and the file
// stays as it was. File
// permissions do not bind root, so as root the attempt runs in a child that
// has given up root first.
TEST_P(Process, ReadOnlyFileRefusesWritesWithoutDamage) {
    for (mode_t directoryMode : {0777, 0555}) {
        SCOPED_TRACE(directoryMode == 0777 ? "writable directory" : "read-only directory");
        TempDir dir;
        const std::string path = dir.path("ro.dat");
        ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
        {
            File f;
            ASSERT_EQ(0, f.openFile(path));
            Bytes r = Make(1, 1);
            ASSERT_EQ(0, f.insert(r));
        }
        ASSERT_EQ(0, chmod(path.c_str(), 0444));
        const std::string directory = path.substr(0, path.rfind('/'));
        ASSERT_EQ(0, chmod(directory.c_str(), directoryMode));
        int outcome;
        if (geteuid() == 0) {
            Child child([&](Child&) {
                if (setgid(65534) != 0 || setuid(65534) != 0) return 3;
                return TryToWrite(path);
            });
            outcome = child.wait();
        } else {
            outcome = TryToWrite(path);
        }
        chmod(directory.c_str(), 0700);
        EXPECT_EQ(0, outcome) << "1: the write went through, 2: an unexpected status, 3: could not give up root, "
                                  "4: the file could not be opened or read";
        EXPECT_EQ(1u, CheckConsistent(path, 2));
    }
}

}  // namespace

namespace {

// A transaction that meets a full disk is all or nothing: either End
// reports success and every write acknowledged inside it is in the file, or
// End reports the failure and none of them is.
TEST_P(Process, FullDiskInsideATransactionIsAllOrNothing) {
    TempDir dir;
    const std::string path = dir.path("fulltx.dat");
    ASSERT_EQ(0, CreateFile(path, TwoKeySpec()));
    Child child([&](Child& self) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {300 * 1024, 300 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        File f;
        if (f.openFile(path) != 0) return 1;
        uint32_t len = 0;
        if (f.call(kBegin, nullptr, &len, nullptr, 0, 0) != 0) return 1;
        for (uint32_t i = 0;; ++i) {
            Bytes r = Make(i, i % 9);
            const int16_t st = f.insert(r);
            if (st != 0) break;
            self.send(i);
        }
        // One more write after the failure, then End.
        Bytes r = Make(1000000, 1);
        f.insert(r);
        self.send(0x80000000u | uint32_t(uint16_t(f.call(kEnd, nullptr, &len, nullptr, 0, 0))));
        return 0;
    });
    uint32_t v, acked = 0, end = 0xFFFF;
    while (child.receive(&v)) {
        if (v & 0x80000000u) end = v & 0xFFFF;
        else ++acked;
    }
    EXPECT_EQ(0, child.wait());
    ASSERT_NE(0xFFFFu, end);
    EXPECT_GT(acked, 10u);
    const uint32_t count = CheckConsistent(path, 2);
    if (end == 0) {
        EXPECT_GE(count, acked) << "End succeeded: every acknowledged write is there";
    } else {
        EXPECT_EQ(0u, count) << "End failed with " << end << ": nothing of the transaction is there";
    }
}

INSTANTIATE_JOURNAL_MODES(Process);

}  // namespace
