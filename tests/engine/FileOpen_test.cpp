// Create, Open, Close and the statuses of bad arguments and bad files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "EngineClient.h"

using namespace enginetest;

namespace {

std::vector<uint8_t> SimpleSpec() {
    return MakeSpec(20, {{{1, 4, 0, 1}}, {{5, 10, 0x0001, 0}}});
}

TEST(FileOpen, CreateOpenCloseRoundTrip) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("a.dat"), SimpleSpec()));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("a.dat")));
    std::vector<uint8_t> s;
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(20, s[0] | s[1] << 8);
    EXPECT_EQ(4096, s[2] | s[3] << 8);
    EXPECT_EQ(2, s[4]);
    EXPECT_EQ(0x95, s[5]);
    EXPECT_EQ(0u, GetU32(s, 6));
    EXPECT_EQ(0, f.close());
    EXPECT_EQ(3, f.close()) << "a closed block is not open";
}

TEST(FileOpen, BackslashesAreSlashesAndTrailingBlanksEnd) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("b.dat"), SimpleSpec()));
    std::string name = dir.path("b.dat");
    for (char& ch : name) if (ch == '/') ch = '\\';
    File f;
    EXPECT_EQ(0, f.openFile(name + "   "));
}

TEST(FileOpen, OpenStatuses) {
    TempDir dir;
    File f;
    EXPECT_EQ(12, f.openFile(dir.path("missing.dat")));
    EXPECT_EQ(12, f.openFile(dir.path("nodir/missing.dat")));
    EXPECT_EQ(11, f.openFile(""));
    EXPECT_EQ(30, f.openFile(dir.path("")));  // a directory
    {
        std::ofstream(dir.path("text.dat")) << "this is not an engine file, just some text\n";
    }
    EXPECT_EQ(30, f.openFile(dir.path("text.dat")));
    { std::ofstream(dir.path("empty.dat")); }
    EXPECT_EQ(30, f.openFile(dir.path("empty.dat")));
    struct stat st;
    ASSERT_EQ(0, ::stat(dir.path("empty.dat").c_str(), &st));
    EXPECT_EQ(0, st.st_size) << "an empty file must not be turned into a database";
}

TEST(FileOpen, ForeignSqliteDatabaseIsNotOurs) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("ours.dat"), SimpleSpec()));
    // A valid SQLite file without our application id.
    std::string cmd = "sqlite3 '" + dir.path("theirs.db") + "' 'create table t(x)' 2>/dev/null";
    if (system(cmd.c_str()) != 0) GTEST_SKIP() << "sqlite3 shell not available";
    File f;
    EXPECT_EQ(30, f.openFile(dir.path("theirs.db")));
}

TEST(FileOpen, CreateRefusesOrReplaces) {
    TempDir dir;
    const std::string path = dir.path("c.dat");
    ASSERT_EQ(0, CreateFile(path, SimpleSpec()));
    {
        File f;
        ASSERT_EQ(0, f.openFile(path));
        auto r = Record(20);
        PutU32(r, 0, 7);
        ASSERT_EQ(0, f.insert(r));
        EXPECT_EQ(59, CreateFile(path, SimpleSpec(), -1));
        EXPECT_NE(0, CreateFile(path, SimpleSpec(), 0)) << "no replacing a file in use";
    }
    EXPECT_EQ(59, CreateFile(path, SimpleSpec(), -1));
    ASSERT_EQ(0, CreateFile(path, MakeSpec(30, {{{1, 4, 0, 1}}}), 0));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    EXPECT_EQ(0u, f.recordCount()) << "replaced file starts empty";
    std::vector<uint8_t> s;
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(30, s[0]);
}

struct SpecCase {
    const char* what;
    std::vector<uint8_t> spec;
    int16_t status;
};

TEST(FileOpen, InvalidSpecificationsAreRefused) {
    const SpecCase cases[] = {
        {"page size 1000", MakeSpec(20, {{{1, 4, 0, 1}}}, 0, 1000), 24},
        {"page size 256", MakeSpec(20, {{{1, 4, 0, 1}}}, 0, 256), 24},
        {"page size 32768", MakeSpec(20, {{{1, 4, 0, 1}}}, 0, 32768), 24},
        {"record length 0", MakeSpec(0, {}), 28},
        {"record length above 32768", MakeSpec(40000, {}), 28},
        {"key past the record end", MakeSpec(20, {{{18, 4, 0, 1}}}), 28},
        {"key outside the record", MakeSpec(20, {{{21, 4, 0, 1}}}), 27},
        {"key position 0", MakeSpec(20, {{{0, 4, 0, 1}}}), 27},
        {"integer of length 3", MakeSpec(20, {{{1, 3, 0, 1}}}), 29},
        {"key length 0", MakeSpec(20, {{{1, 0, 0, 0}}}), 29},
        {"date of length 2", MakeSpec(20, {{{1, 2, 0, 3}}}), 29},
        {"note type", MakeSpec(20, {{{1, 4, 0, 12}}}), 49},
        {"type 99", MakeSpec(20, {{{1, 4, 0, 99}}}), 49},
        {"segments disagree on duplicates", MakeSpec(20, {{{1, 4, 0x1, 1}, {5, 4, 0, 1}}}), 45},
        {"both null flags", MakeSpec(20, {{{1, 4, 0x0208, 1}}}), 45},
        {"auto-increment not first", MakeSpec(20, {{{1, 4, 0, 1}, {5, 4, 0, 15}}}), 45},
    };
    TempDir dir;
    for (const SpecCase& c : cases) {
        EXPECT_EQ(c.status, CreateFile(dir.path("x.dat"), c.spec)) << c.what;
        File f;
        EXPECT_EQ(12, f.openFile(dir.path("x.dat"))) << c.what << ": nothing created";
    }
    // 120 keys.
    std::vector<KeySpec> many(120, KeySpec{{1, 4, 0x1, 1}});
    EXPECT_EQ(26, CreateFile(dir.path("x.dat"), MakeSpec(20, many)));
    // A spec announcing more keys than it holds.
    auto shortSpec = MakeSpec(20, {{{1, 4, 0, 1}}});
    shortSpec[4] = 2;
    EXPECT_NE(0, CreateFile(dir.path("x.dat"), shortSpec));
    // 119 keys is the limit.
    std::vector<KeySpec> most(119, KeySpec{{1, 4, 0x1, 1}});
    EXPECT_EQ(0, CreateFile(dir.path("y.dat"), MakeSpec(20, most)));
}

TEST(FileOpen, GarbageAndNullArgumentsNeverCrash) {
    uint8_t pos[128];
    for (int i = 0; i < 128; ++i) pos[i] = uint8_t(i * 37 + 11);
    uint8_t data[64] = {};
    uint32_t len = sizeof data;
    uint8_t key[255] = {};
    const uint16_t ops[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 22, 23, 24, 29, 30,
                            31, 32, 33, 34, 35, 45, 55, 62, 105, 206};
    for (uint16_t op : ops) {
        EXPECT_EQ(3, Engine()(op, pos, data, &len, key, 255, 0)) << "op " << op;
        EXPECT_EQ(3, Engine()(op, nullptr, nullptr, nullptr, nullptr, 0, 0)) << "op " << op;
    }
    // A block that looks like ours but names a slot that was never used.
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("g.dat"), SimpleSpec()));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("g.dat")));
    uint8_t copy[128];
    std::memcpy(copy, f.pos, 128);
    copy[8] = 200;
    EXPECT_EQ(3, Engine()(kStepFirst, copy, data, &len, key, 255, 0));
    std::memcpy(copy, f.pos, 128);
    copy[12] ^= 0x55;  // wrong generation
    EXPECT_EQ(3, Engine()(kStepFirst, copy, data, &len, key, 255, 0));
    // Null buffers on an open file.
    EXPECT_EQ(22, Engine()(kInsert, f.pos, nullptr, nullptr, nullptr, 0, 0));
    EXPECT_EQ(9, Engine()(kStepFirst, f.pos, nullptr, nullptr, nullptr, 0, 0));
    EXPECT_EQ(8, Engine()(kUpdate, f.pos, nullptr, nullptr, nullptr, 0, 0));
    EXPECT_EQ(22, Engine()(kStat, f.pos, nullptr, nullptr, nullptr, 0, 0));
    EXPECT_EQ(11, Engine()(kOpen, pos, nullptr, nullptr, nullptr, 0, 0));
    EXPECT_EQ(11, Engine()(kCreate, pos, nullptr, nullptr, nullptr, 0, 0));
    std::string cpath = dir.path("n.dat");
    std::vector<char> ckey(cpath.begin(), cpath.end());
    ckey.resize(255, '\0');
    EXPECT_EQ(22, Engine()(kCreate, pos, nullptr, nullptr, ckey.data(), 255, 0));
    // Unknown operations.
    EXPECT_EQ(1, f.call(99, data, &len, key, 255, 0));
    EXPECT_EQ(1, f.call(16, data, &len, key, 255, 0));
    EXPECT_EQ(1, f.call(74, data, &len, key, 255, 0)) << "key-only form of a non-Get";
    EXPECT_EQ(1, f.call(600, data, &len, key, 255, 0));
}

TEST(FileOpen, ReopeningABlockClosesTheOldHandle) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("r.dat"), SimpleSpec()));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("r.dat")));
    ASSERT_EQ(0, f.openFile(dir.path("r.dat")));
    EXPECT_EQ(0, f.close());
    EXPECT_EQ(3, f.close());
}

TEST(FileOpen, ExclusiveModeConflictsInOneProcess) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("e.dat"), SimpleSpec()));
    File a, b;
    ASSERT_EQ(0, a.openFile(dir.path("e.dat"), "", -4));
    EXPECT_EQ(88, b.openFile(dir.path("e.dat")));
    a.close();
    ASSERT_EQ(0, a.openFile(dir.path("e.dat")));
    EXPECT_EQ(88, b.openFile(dir.path("e.dat"), "", -4));
    EXPECT_EQ(0, b.openFile(dir.path("e.dat"), "", 0));
}

TEST(FileOpen, ReadOnlyModeRefusesWrites) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("ro.dat"), SimpleSpec()));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("ro.dat"), "", -2));
    auto r = Record(20);
    EXPECT_EQ(46, f.insert(r));
    std::vector<uint8_t> rec;
    EXPECT_EQ(9, f.step(kStepFirst, rec));
}

}  // namespace
