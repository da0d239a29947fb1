// BtrieveFile against the real engine library: a file is created, opened,
// read in every order, written and closed, and a second BtrieveFile on the
// same file sees the changes.

#include "EngineTestSupport.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Record layout of the test file:
//   OFFSET  WIDTH  MEANING
//   0       4      id (integer, key 0, unique)
//   4       10     name (string, key 1, duplicates, modifiable)
//   14      18     filler
constexpr int kRecordLength = 32;
constexpr int kIdOffset = 0;
constexpr int kNameOffset = 4;
constexpr int kNameLength = 10;

using qdx::wire::kSegDuplicates;
using qdx::wire::kSegExtendedType;
using qdx::wire::kSegModifiable;
constexpr uint8_t kTypeString = 0;
constexpr uint8_t kTypeInteger = 1;

void PutSegment(uint8_t* entry, int position, int length, uint16_t flags, uint8_t type, int keyNumber) {
    le::PutU16(entry + 0, static_cast<uint16_t>(position));
    le::PutU16(entry + 2, static_cast<uint16_t>(length));
    le::PutU16(entry + 4, flags);
    entry[10] = type;
    entry[14] = static_cast<uint8_t>(keyNumber);
}

std::vector<uint8_t> Specification() {
    std::vector<uint8_t> spec(16 + 2 * BtrieveFile::kKeySegmentSize, 0);
    le::PutU16(&spec[0], kRecordLength);
    le::PutU16(&spec[2], 4096);
    le::PutU16(&spec[4], 2);
    PutSegment(&spec[16], kIdOffset + 1, 4, kSegExtendedType, kTypeInteger, 0);
    PutSegment(&spec[32], kNameOffset + 1, kNameLength, kSegExtendedType | kSegDuplicates | kSegModifiable,
               kTypeString, 1);
    return spec;
}

struct Record {
    uint8_t bytes[kRecordLength] = {};
    Record() = default;
    Record(int id, const char* name) {
        le::PutU32(bytes + kIdOffset, static_cast<uint32_t>(id));
        std::memset(bytes + kNameOffset, ' ', kNameLength);
        std::memcpy(bytes + kNameOffset, name, std::strlen(name));
    }
    int Id() const { return static_cast<int>(le::GetU32(bytes + kIdOffset)); }
    std::string Name() const {
        std::string name(reinterpret_cast<const char*>(bytes + kNameOffset), kNameLength);
        return name.substr(0, name.find_last_not_of(' ') + 1);
    }
};

class BtrieveFileEngine : public testing::Test {
protected:
    void SetUp() override {
        if (!RealEngineAvailable()) GTEST_SKIP() << "engine library not built yet: " << RealEnginePath();
        choice = std::make_unique<EngineLibraryChoice>(RealEnginePath());
        dir = fs::temp_directory_path() / ("qdx_btrieve_" + std::to_string(getpid()) + "_" +
                                           testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "people.dat").string();
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
        choice.reset();
    }

    // Creates the file and inserts ids 10..50 named so that name order is the reverse.
    void CreateAndFill(BtrieveFile& file) {
        std::vector<uint8_t> spec = Specification();
        ASSERT_EQ(0, BtrieveFile::createFile(spec.data(), static_cast<int>(spec.size()), path.c_str(), false));
        ASSERT_EQ(0, file.open(path.c_str()));
        const char* names[] = {"echo", "delta", "charlie", "bravo", "alpha"};
        for (int i = 0; i < 5; ++i) {
            Record r((i + 1) * 10, names[i]);
            file.setDataLength(kRecordLength);
            ASSERT_EQ(0, file.insertRecord(r.bytes, 0)) << names[i];
        }
    }

    std::unique_ptr<EngineLibraryChoice> choice;
    fs::path dir;
    std::string path;
    uint8_t key[256] = {};
};

void PutIntKey(uint8_t* key, int id) {
    std::memset(key, 0, 256);
    le::PutU32(key, static_cast<uint32_t>(id));
}

}  // namespace

TEST_F(BtrieveFileEngine, CreateRefusesAnExistingFileUnlessReplacing) {
    std::vector<uint8_t> spec = Specification();
    const int length = static_cast<int>(spec.size());
    ASSERT_EQ(0, BtrieveFile::createFile(spec.data(), length, path.c_str(), false));
    EXPECT_EQ(59, BtrieveFile::createFile(spec.data(), length, path.c_str(), false));
    EXPECT_EQ(0, BtrieveFile::createFile(spec.data(), length, path.c_str(), true));

    BtrieveFile file;
    ASSERT_EQ(0, file.open(path.c_str()));
    EXPECT_EQ(kRecordLength, file.dataLength());
    EXPECT_EQ(kRecordLength, file.recordLength());
    EXPECT_EQ(0, file.fileFlags());
    EXPECT_EQ(path, file.fileName().ToStdString());
    std::vector<uint8_t> stat(BtrieveFile::kStatBufferSize);
    ASSERT_EQ(0, file.stat(stat.data()));
    EXPECT_EQ(4096, le::GetU16(&stat[2]));

    BtrieveFile missing;
    EXPECT_EQ(12, missing.open((dir / "none.dat").string().c_str()));
    EXPECT_FALSE(missing.isOpen());
}

TEST_F(BtrieveFileEngine, ReadsInEveryOrder) {
    BtrieveFile file;
    CreateAndFill(file);
    Record r;
    struct Step {
        const char* what;
        int (BtrieveFile::*get)(void*, void*, int, int);
        int keyValue;  // -1: key buffer as left by the previous call
        int expectId;
    };
    const Step steps[] = {
        {"first", &BtrieveFile::getFirst, -1, 10},
        {"next", &BtrieveFile::getNext, -1, 20},
        {"last", &BtrieveFile::getLast, -1, 50},
        {"previous", &BtrieveFile::getPrevious, -1, 40},
        {"equal 30", &BtrieveFile::getEqual, 30, 30},
        {"greater 30", &BtrieveFile::getGreater, 30, 40},
        {"greater or equal 30", &BtrieveFile::getGreaterOrEqual, 30, 30},
        {"greater or equal 31", &BtrieveFile::getGreaterOrEqual, 31, 40},
        {"less 30", &BtrieveFile::getLess, 30, 20},
        {"less or equal 25", &BtrieveFile::getLessOrEqual, 25, 20},
        {"less or equal 30", &BtrieveFile::getLessOrEqual, 30, 30},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.keyValue >= 0) PutIntKey(key, s.keyValue);
        file.setDataLength(kRecordLength);
        ASSERT_EQ(0, (file.*s.get)(key, r.bytes, 0, 0));
        EXPECT_EQ(s.expectId, r.Id());
        EXPECT_EQ(s.expectId, static_cast<int>(le::GetU32(key)));  // the key buffer holds the record's key
        EXPECT_EQ(kRecordLength, file.dataLength());
    }
    PutIntKey(key, 35);
    EXPECT_EQ(4, file.getEqual(key, r.bytes, 0));
    file.getLast(key, r.bytes, 0);
    EXPECT_EQ(9, file.getNext(key, r.bytes, 0));

    // Key 1 orders by name.
    ASSERT_EQ(0, file.getFirst(key, r.bytes, 1));
    EXPECT_EQ("alpha", r.Name());
    ASSERT_EQ(0, file.getNext(key, r.bytes, 1));
    EXPECT_EQ("bravo", r.Name());

    // Key only: the key comes back, the record buffer and dataLength are left alone.
    file.setDataLength(7);
    ASSERT_EQ(0, file.getLast(key, nullptr, 0));
    EXPECT_EQ(50, static_cast<int>(le::GetU32(key)));
    EXPECT_EQ(7, file.dataLength());
}

TEST_F(BtrieveFileEngine, StepsVisitEveryRecordBothWays) {
    BtrieveFile file;
    CreateAndFill(file);
    Record r;
    std::vector<int> forward, backward;
    file.setDataLength(kRecordLength);
    for (int st = file.stepFirst(r.bytes, key); st == 0; st = file.stepNext(r.bytes, key)) {
        forward.push_back(r.Id());
        file.setDataLength(kRecordLength);
    }
    EXPECT_EQ(9, file.status());
    file.setDataLength(kRecordLength);
    for (int st = file.stepLast(r.bytes, key); st == 0; st = file.stepPrevious(r.bytes, key)) {
        backward.push_back(r.Id());
        file.setDataLength(kRecordLength);
    }
    EXPECT_EQ(9, file.status());
    ASSERT_EQ(5u, forward.size());
    EXPECT_EQ((std::set<int>{10, 20, 30, 40, 50}), std::set<int>(forward.begin(), forward.end()));
    EXPECT_EQ(std::vector<int>(forward.rbegin(), forward.rend()), backward);
}

TEST_F(BtrieveFileEngine, GetDirectAfterGetPositionSetsTheKeyPath) {
    BtrieveFile file;
    CreateAndFill(file);
    Record r;
    PutIntKey(key, 30);
    ASSERT_EQ(0, file.getEqual(key, r.bytes, 0));
    uint32_t position = file.getPosition();
    EXPECT_EQ(0, file.status());
    ASSERT_EQ(0, file.getFirst(key, r.bytes, 0));  // somewhere else
    ASSERT_EQ(0, file.getDirect(position, r.bytes, key, 1));
    EXPECT_EQ(30, r.Id());
    EXPECT_EQ("charlie", r.Name());
    // Key 1 is now the path: after "charlie" comes "delta".
    ASSERT_EQ(0, file.getNext(key, r.bytes, 1));
    EXPECT_EQ("delta", r.Name());

    float percentage = -1;
    EXPECT_EQ(0, file.findPercentage(nullptr, position, -1, percentage));
    EXPECT_GE(percentage, 0.0f);
    EXPECT_LE(percentage, 100.0f);
}

TEST_F(BtrieveFileEngine, ChangesAreSeenThroughASecondFile) {
    BtrieveFile writer;
    CreateAndFill(writer);
    Record r;
    PutIntKey(key, 20);
    ASSERT_EQ(0, writer.getEqual(key, r.bytes, 0));
    std::memcpy(r.bytes + kNameOffset, "zulu      ", kNameLength);
    ASSERT_EQ(0, writer.updateRecord(r.bytes, 0));
    PutIntKey(key, 40);
    ASSERT_EQ(0, writer.getEqual(key, r.bytes, 0));
    ASSERT_EQ(0, writer.deleteRecord(0));
    Record added(60, "foxtrot");
    writer.setDataLength(kRecordLength);
    ASSERT_EQ(0, writer.insertRecord(added.bytes, 0));
    Record duplicate(60, "again");
    EXPECT_EQ(5, writer.insertRecord(duplicate.bytes, 0));

    BtrieveFile reader;
    ASSERT_EQ(0, reader.open(path.c_str()));
    PutIntKey(key, 20);
    ASSERT_EQ(0, reader.getEqual(key, r.bytes, 0));
    EXPECT_EQ("zulu", r.Name());
    PutIntKey(key, 40);
    EXPECT_EQ(4, reader.getEqual(key, r.bytes, 0));
    ASSERT_EQ(0, reader.getLast(key, r.bytes, 1));
    EXPECT_EQ("zulu", r.Name());
    std::vector<int> ids;
    reader.setDataLength(kRecordLength);
    for (int st = reader.getFirst(key, r.bytes, 0); st == 0; st = reader.getNext(key, r.bytes, 0)) ids.push_back(r.Id());
    EXPECT_EQ((std::vector<int>{10, 20, 30, 50, 60}), ids);

    EXPECT_EQ(0, writer.close());
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(3, writer.close());  // already closed: the engine says so
    EXPECT_EQ(0, reader.close());
}

TEST_F(BtrieveFileEngine, OwnerNameAfterPlusOpensAProtectedFile) {
    BtrieveFile file;
    CreateAndFill(file);
    ASSERT_EQ(0, file.setOwner("secret", 0));
    ASSERT_EQ(0, file.close());

    EXPECT_EQ(51, file.open(path.c_str()));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(51, file.open((path + "+wrong").c_str()));
    ASSERT_EQ(0, file.open((path + "+secret").c_str()));
    EXPECT_EQ(path, file.fileName().ToStdString());
    EXPECT_EQ(kRecordLength, file.dataLength());
    ASSERT_EQ(0, file.clearOwner());
    ASSERT_EQ(0, file.close());
    EXPECT_EQ(0, file.open(path.c_str()));
}

TEST_F(BtrieveFileEngine, SupplementalIndexCanBeAddedAndDropped) {
    BtrieveFile file;
    CreateAndFill(file);
    uint8_t segment[BtrieveFile::kKeySegmentSize] = {};
    PutSegment(segment, kNameOffset + 1, kNameLength, kSegExtendedType | kSegDuplicates | kSegModifiable, kTypeString, 0);
    ASSERT_EQ(0, file.createSupplementalIndex(segment, 1));
    Record r;
    file.setDataLength(kRecordLength);
    ASSERT_EQ(0, file.getLast(key, r.bytes, 2));
    EXPECT_EQ("echo", r.Name());
    ASSERT_EQ(0, file.dropSupplementalIndex(2));
    EXPECT_NE(0, file.getFirst(key, r.bytes, 2));
}
