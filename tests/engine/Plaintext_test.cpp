// After Set Owner with encryption answers 0 (or End, inside a transaction),
// no record written before it is left in clear in any file of the engine
// file: the database, its log or its shared memory; whether the process
// then closes or is killed at once. Both journal modes.

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <iterator>

#include "ChildProcess.h"
#include "EngineClient.h"
#include "JournalMode.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLen = 64;
constexpr uint32_t kRecords = 400;

std::string Marker(uint32_t i) { return "MARK" + std::to_string(100000 + i) + "-CLEAR"; }

Bytes Make(uint32_t i) {
    Bytes r = Record(kLen);
    PutU32(r, 0, i);
    PutText(r, 8, Marker(i), 40);
    return r;
}

int16_t SetOwner(File& f, const std::string& name, int8_t mode) {
    Bytes owner(name.begin(), name.end());
    owner.resize(9, 0);
    Bytes key = owner;
    uint32_t len = uint32_t(owner.size());
    return f.call(kSetOwner, owner.data(), &len, key.data(), uint8_t(key.size()), mode);
}

// Names of the files of path whose bytes hold a marker ("" when none).
std::string FilesWithMarkers(const std::string& path) {
    std::string found;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::ifstream in(path + suffix, std::ios::binary);
        if (!in) continue;
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.find("-CLEAR") != std::string::npos) found += std::string(" ") + (*suffix ? suffix : "main");
    }
    return found;
}

enum class End { kClose, kKill, kKillInTransaction };

// A child writes the markers (updating and deleting some of them), sets
// the owner with encryption and then closes or kills itself.
void SetOwnerAndEnd(const std::string& path, int8_t mode, End end) {
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 14}}})));
    Child child([&](Child&) {
        File f;
        if (f.openFile(path) != 0) return 1;
        for (uint32_t i = 0; i < kRecords; ++i) {
            Bytes r = Make(i);
            if (f.insert(r) != 0) return 2;
            if (i % 5 == 0) {
                r[50] = 'u';
                if (f.update(r) != 0) return 3;
            }
            if (i % 7 == 0 && f.erase() != 0) return 4;
        }
        if (FilesWithMarkers(path).empty()) return 5;  // the markers must be there to begin with
        uint32_t len = 0;
        if (end == End::kKillInTransaction && f.call(kBegin, nullptr, &len, nullptr, 0, 0) != 0) return 6;
        if (SetOwner(f, "0wner", mode) != 0) return 7;
        if (end == End::kKillInTransaction && f.call(kEnd, nullptr, &len, nullptr, 0, 0) != 0) return 8;
        if (end != End::kClose) raise(SIGKILL);
        return f.close() == 0 ? 0 : 9;
    });
    const int status = child.wait();
    ASSERT_EQ(end == End::kClose ? 0 : 128 + SIGKILL, status);
    EXPECT_EQ("", FilesWithMarkers(path));
    File f;
    ASSERT_EQ(0, f.openFile(path, "0wner"));
    EXPECT_EQ(kRecords - (kRecords + 6) / 7, f.recordCount());
    Bytes rec, key(4);
    PutU32(key, 0, 1);
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    EXPECT_EQ(Make(1), rec) << "the records are all there, readable with the owner";
}

class Plaintext : public JournalModeTest {};

TEST_P(Plaintext, NoneAfterSetOwnerThenClose) {
    for (int8_t mode : {2, 3}) {
        TempDir dir;
        SetOwnerAndEnd(dir.path("close.dat"), mode, End::kClose);
    }
}

TEST_P(Plaintext, NoneAfterSetOwnerThenKill) {
    TempDir dir;
    SetOwnerAndEnd(dir.path("kill.dat"), 2, End::kKill);
}

TEST_P(Plaintext, NoneAfterSetOwnerInATransactionThenKill) {
    TempDir dir;
    SetOwnerAndEnd(dir.path("killtx.dat"), 3, End::kKillInTransaction);
}

// Another process having the file open could still be reading the earlier
// pages: the encrypting Set Owner waits for it to go (85).
TEST_P(Plaintext, RefusedWhileAnotherProcessHasTheFileOpen) {
    TempDir dir;
    const std::string path = dir.path("shared.dat");
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kLen, {{{1, 4, 0, 14}}})));
    Child child([&](Child& self) {
        File f;
        if (f.openFile(path) != 0) return 1;
        self.send(1);
        self.receive();
        return 0;
    });
    ASSERT_EQ(1u, child.receive());
    File f;
    ASSERT_EQ(0, f.openFile(path));
    Bytes r = Make(1);
    ASSERT_EQ(0, f.insert(r));
    EXPECT_EQ(85, SetOwner(f, "0wner", 2));
    EXPECT_EQ(0, SetOwner(f, "0wner", 1)) << "an owner without encryption is fine";
    child.send(1);
    EXPECT_EQ(0, child.wait());
    f.close();
    File g;
    EXPECT_EQ(0, g.openFile(path, "", -4)) << "the lock went back to shared";
}

INSTANTIATE_JOURNAL_MODES(Plaintext);

}  // namespace
