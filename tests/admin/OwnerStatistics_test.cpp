// Owner names on a real engine file (what each access mode lets an open
// without the name do) and the lines of the File Statistics window.

#include "admin/FileOwner.h"
#include "admin/FileStatistics.h"

#include <fstream>
#include <sstream>

#include "AdminTestSupport.h"
#include "base/Endian.h"

namespace admintest {
namespace {

std::string RawBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class OwnerTest : public AdminFixture {
protected:
    // Inserting a record through the file as it is open now; 0 on success.
    int TryInsert(int id) {
        std::vector<uint8_t> record = ItemRecord(id, file.recordLength());
        file.setDataLength(static_cast<uint16_t>(record.size()));
        return file.insertRecord(record.data());
    }
    int FirstRecord() {
        std::vector<uint8_t> record(file.recordLength() + 64);
        uint8_t key[256] = {};
        file.setDataLength(static_cast<uint16_t>(record.size()));
        return file.getFirst(key, record.data(), 0);
    }
};

TEST(OwnerAccessMode, Rule) {
    EXPECT_EQ(0, OwnerAccessMode(true, false));
    EXPECT_EQ(1, OwnerAccessMode(false, false));
    EXPECT_EQ(2, OwnerAccessMode(true, true));
    EXPECT_EQ(3, OwnerAccessMode(false, true));
}

TEST_F(OwnerTest, EachModeGuardsTheFileAsChosen) {
    struct Case {
        bool requireForReadOnly, encrypt;
        bool opensWithout;  // read-only when it does
    };
    const Case cases[] = {{true, false, false}, {false, false, true}, {true, true, false}, {false, true, true}};
    int next = 100;
    for (const Case& c : cases) {
        const int mode = OwnerAccessMode(c.requireForReadOnly, c.encrypt);
        SCOPED_TRACE("mode " + std::to_string(mode));
        ASSERT_EQ(0, SetFileOwner(file, "Keeper", mode));
        ASSERT_EQ(0, file.close());

        const int without = file.open("items.dat");
        if (c.opensWithout) {
            ASSERT_EQ(0, without);
            EXPECT_EQ(0, FirstRecord());
            EXPECT_NE(0, TryInsert(next++));
        } else {
            EXPECT_EQ(51, without);
        }
        file.close();
        EXPECT_EQ(51, file.open("items.dat+Wrong")) << "a wrong name is refused";
        file.close();

        ASSERT_EQ(0, file.open("items.dat+Keeper"));
        EXPECT_EQ(0, FirstRecord());
        EXPECT_EQ(0, TryInsert(next++));
        ASSERT_EQ(0, ClearFileOwner(file));
        ASSERT_EQ(0, file.close());

        ASSERT_EQ(0, file.open("items.dat")) << "the owner is cleared";
        EXPECT_EQ(0, TryInsert(next++));
    }
}

TEST_F(OwnerTest, EncryptionHidesTheRecordsInTheRawFile) {
    file.close();
    const std::string marker = "Extra 3";
    EXPECT_NE(std::string::npos, RawBytes("items.dat").find(marker)) << "the marker is plain before";
    ASSERT_EQ(0, file.open("items.dat"));
    ASSERT_EQ(0, SetFileOwner(file, "Keeper", OwnerAccessMode(true, true)));
    ASSERT_EQ(0, file.close());
    EXPECT_EQ(std::string::npos, RawBytes("items.dat").find(marker));
    EXPECT_EQ(std::string::npos, RawBytes("items.dat").find("Keeper")) << "the name is not stored plain";

    ASSERT_EQ(0, file.open("items.dat+Keeper"));
    ASSERT_EQ(0, ClearFileOwner(file));
    ASSERT_EQ(0, file.close());
    ASSERT_EQ(0, file.open("items.dat"));
    EXPECT_EQ(5u, EngineOrder(file, 0).size());
}

TEST_F(OwnerTest, EmptyNameMakesNoChange) {
    // A failed read leaves a status the empty Set must not replace.
    uint8_t key[256] = {};
    le::PutU32(key, 999);
    std::vector<uint8_t> record(file.recordLength());
    file.setDataLength(static_cast<uint16_t>(record.size()));
    const int notFound = file.getEqual(key, record.data(), 0);
    ASSERT_NE(0, notFound);
    EXPECT_EQ(kOwnerNotGiven, SetFileOwner(file, "", 0));
    EXPECT_EQ(notFound, file.status()) << "no engine call was made";
    ASSERT_EQ(0, file.close());
    ASSERT_EQ(0, file.open("items.dat"));
    EXPECT_EQ(0, TryInsert(50));
}

TEST_F(OwnerTest, SecondOwnerIsRefusedUntilCleared) {
    ASSERT_EQ(0, SetFileOwner(file, "First", 0));
    EXPECT_NE(0, SetFileOwner(file, "Second", 0));
    ASSERT_EQ(0, ClearFileOwner(file));
    ASSERT_EQ(0, SetFileOwner(file, "Second", 0));
    ASSERT_EQ(0, file.close());
    EXPECT_EQ(51, file.open("items.dat+First"));
    file.close();
    EXPECT_EQ(0, file.open("items.dat+Second"));
}

TEST_F(OwnerTest, LongNameEitherRefusedOrUsableAsTyped) {
    // A name the engine cannot keep whole must not lock the user out.
    const int set = SetFileOwner(file, "Longername1", 0);
    ASSERT_EQ(0, file.close());
    if (set == 0) {
        EXPECT_EQ(0, file.open("items.dat+Longername1"));
    } else {
        EXPECT_EQ(0, file.open("items.dat"));
    }
}

TEST_F(OwnerTest, StatisticsOfTheOpenFile) {
    std::vector<uint8_t> stat(DictionaryDef::kStatBufferSize);
    file.setDataLength(static_cast<uint16_t>(stat.size()));
    ASSERT_EQ(0, file.stat(stat.data()));
    const std::vector<Estring> lines = StatisticsValueLines(stat.data());
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ(Estring(("Record Size       : " + std::to_string(file.recordLength())).c_str()), lines[0]);
    EXPECT_EQ(Estring("Indexes           : 2"), lines[2]);
    EXPECT_EQ(Estring("Number of Records : 5"), lines[4]);
    Insert(7, "fig", "z");
    ASSERT_EQ(0, file.stat(stat.data()));
    EXPECT_EQ(Estring("Number of Records : 6"), StatisticsValueLines(stat.data())[4]);
}

TEST(FileStatistics, VersionLine) {
    struct Case {
        uint8_t version;
        const char* line;
    };
    const Case cases[] = {{0x50, "File Version      : pre-6.x"},
                          {0x00, "File Version      : pre-6.x"},
                          {0x60, "File Version      : 6.0"},
                          {0x72, "File Version      : 7.2"}};
    for (const Case& c : cases) {
        uint8_t stat[DictionaryDef::kStatBufferSize] = {};
        stat[5] = c.version;
        EXPECT_EQ(Estring(c.line), StatisticsValueLines(stat)[3]);
    }
}

TEST(FileStatistics, FlagLines) {
    struct Case {
        uint16_t flags;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {0x0000, {}},
        {0x0041, {"Variable Length ", "10% free space threshold"}},
        {0x0003, {"Variable Length (right trimmed)"}},
        {0x00C0, {"30% free space threshold"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (const Estring& line : StatisticsFlagLines(c.flags)) got.push_back(line.Text());
        EXPECT_EQ(c.lines, got) << std::hex << c.flags;
    }
}

TEST(FileStatistics, LocationIsCutTo36) {
    const std::string exact(36, 'a');
    EXPECT_EQ(Estring(exact.c_str()), ShortenLocation(Estring(exact.c_str())));
    EXPECT_EQ(Estring("/data/orders.dat"), ShortenLocation(Estring("/data/orders.dat")));
    const std::string tail = "/orders/2026/december/orders.dat";  // 32 characters
    const std::string longPath = "/srv/quarry/databases/archive" + tail;
    const Estring cut = ShortenLocation(Estring(longPath.c_str()));
    EXPECT_EQ(36, cut.Length());
    EXPECT_EQ(Estring(("..." + longPath.substr(longPath.size() - 33)).c_str()), cut);
    const std::string drive = "C:/srv/quarry/databases/archive" + tail;
    const Estring driveCut = ShortenLocation(Estring(drive.c_str()));
    EXPECT_EQ(36, driveCut.Length());
    EXPECT_EQ(Estring(("C:/..." + drive.substr(drive.size() - 30)).c_str()), driveCut);
    const std::string one = std::string(37, 'b');
    EXPECT_EQ(36, ShortenLocation(Estring(one.c_str())).Length());
}

}  // namespace
}  // namespace admintest
