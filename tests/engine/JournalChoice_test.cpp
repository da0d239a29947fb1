// Which journal a file runs with: the file system types that get the
// rollback journal, the override, and a file found in the other mode.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "ChildProcess.h"
#include "EngineClient.h"
#include "engine/JournalChoice.h"

using namespace enginetest;
using qdx::engine::ChooseJournal;
using qdx::engine::Journal;
using qdx::engine::JournalForFileSystem;

namespace {

TEST(JournalChoice, FileSystemTypes) {
    struct Case {
        unsigned long magic;
        Journal journal;
        const char* name;
    };
    const Case cases[] = {
        {0x6969, Journal::kRollback, "NFS"},
        {0x517B, Journal::kRollback, "SMB"},
        {0xFF534D42, Journal::kRollback, "CIFS"},
        {0xFE534D42, Journal::kRollback, "SMB2"},
        {0xFFFFFFFFFF534D42ul, Journal::kRollback, "CIFS sign-extended"},
        {0x65735546, Journal::kRollback, "FUSE"},
        {0x01021997, Journal::kRollback, "9P"},
        {0x5346414F, Journal::kRollback, "AFS"},
        {0x00C36400, Journal::kRollback, "Ceph"},
        {0x73757245, Journal::kRollback, "Coda"},
        {0x786F4256, Journal::kRollback, "VirtualBox shared folder"},
        {0xEF53, Journal::kWal, "ext2/3/4"},
        {0x58465342, Journal::kWal, "XFS"},
        {0x9123683E, Journal::kWal, "Btrfs"},
        {0x01021994, Journal::kWal, "tmpfs"},
        {0x794C7630, Journal::kWal, "overlayfs"},
        {0x2FC12FC1, Journal::kWal, "ZFS"},
        {0, Journal::kWal, "unknown"},
        {0x6969ul << 32, Journal::kWal, "NFS's number in the high word only"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.journal, JournalForFileSystem(c.magic)) << c.name;
}

class Override : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("QDX_ENGINE_JOURNAL"); }
};

TEST_F(Override, OnlyTheTwoWordsCountAndNeverWalOnANetworkFileSystem) {
    TempDir dir;
    // A file system of this machine (the test's own directory), existing
    // file or not yet.
    const std::string missing = dir.path("not-yet.dat");
    unsetenv("QDX_ENGINE_JOURNAL");
    EXPECT_EQ(Journal::kWal, ChooseJournal(missing));
    const struct {
        const char* value;
        Journal local;
    } cases[] = {{"wal", Journal::kWal}, {"rollback", Journal::kRollback},
                 {"ROLLBACK", Journal::kWal}, {"", Journal::kWal}, {"delete", Journal::kWal}};
    for (const auto& c : cases) {
        setenv("QDX_ENGINE_JOURNAL", c.value, 1);
        EXPECT_EQ(c.local, ChooseJournal(missing)) << c.value;
        EXPECT_EQ(c.local, ChooseJournal(false)) << c.value;
        EXPECT_EQ(Journal::kRollback, ChooseJournal(true)) << c.value;
    }
}

// Byte 18 of a database header: 1 for the rollback journal, 2 for WAL.
int HeaderMode(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    in.read(header, sizeof header);
    return header[18];
}

TEST_F(Override, AFileInTheOtherModeIsSwitchedOnlyWhenNobodyElseHasItOpen) {
    TempDir dir;
    const std::string path = dir.path("m.dat");
    setenv("QDX_ENGINE_JOURNAL", "wal", 1);
    ASSERT_EQ(0, CreateFile(path, MakeSpec(16, {{{1, 4, 0, 14}}})));
    ASSERT_EQ(2, HeaderMode(path));
    {
        Child walUser([&](Child& self) {
            File f;
            self.send(uint32_t(f.openFile(path)));
            self.receive();
            return 0;
        });
        ASSERT_EQ(0u, walUser.receive());
        setenv("QDX_ENGINE_JOURNAL", "rollback", 1);
        File f;
        EXPECT_EQ(88, f.openFile(path)) << "a WAL file in use is not taken over";
        walUser.send(1);
        EXPECT_EQ(0, walUser.wait());
    }
    File f;
    ASSERT_EQ(0, f.openFile(path)) << "switched once alone";
    EXPECT_EQ(1, HeaderMode(path));
    std::vector<uint8_t> r = Record(16);
    PutU32(r, 0, 7);
    ASSERT_EQ(0, f.insert(r));
    std::ifstream wal(path + "-wal");
    EXPECT_FALSE(wal.good()) << "no log beside a file in rollback mode";
    ASSERT_EQ(0, f.close());
    // Back to WAL where nothing forbids it; the record is still there.
    setenv("QDX_ENGINE_JOURNAL", "wal", 1);
    ASSERT_EQ(0, f.openFile(path));
    EXPECT_EQ(2, HeaderMode(path));
    EXPECT_EQ(1u, f.recordCount());
}

TEST_F(Override, CreateMakesTheFileInTheChosenMode) {
    TempDir dir;
    for (const char* mode : {"rollback", "wal"}) {
        setenv("QDX_ENGINE_JOURNAL", mode, 1);
        const std::string path = dir.path(std::string(mode) + ".dat");
        ASSERT_EQ(0, CreateFile(path, MakeSpec(16, {{{1, 4, 0, 14}}})));
        EXPECT_EQ(mode[0] == 'w' ? 2 : 1, HeaderMode(path)) << mode;
    }
}

}  // namespace
