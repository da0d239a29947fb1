// What BtrieveFile sends to the engine for each operation, observed through
// the stand-in engine library.

#include "EngineTestSupport.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class BtrieveFileCalls : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.Ready()) << "stand-in engine " << QDX_FAKE_ENGINE_PATH; }

    // Opens a file without owner and forgets the calls made so far.
    void OpenPlain(BtrieveFile& file) {
        ASSERT_EQ(0, file.open("/data/cust.dat"));
        engine.reset();
    }

    FakeEngine engine;
    char key[256] = {};
    char record[512] = {};
};

std::string Text(const unsigned char* bytes) { return std::string(reinterpret_cast<const char*>(bytes)); }

}  // namespace

TEST_F(BtrieveFileCalls, OwnerAfterPlusGoesInTheDataBuffer) {
    BtrieveFile file;
    ASSERT_EQ(0, file.open("/data/cust.dat+secret"));
    ASSERT_EQ(2, engine.Calls());  // Open, then Stat for the record length
    const FakeCall& open = engine.Call(0);
    EXPECT_EQ(BtrieveFile::kOpOpen, open.operation);
    EXPECT_EQ(0, open.dataWasNull);
    EXPECT_EQ(7u, open.dataLengthIn);  // "secret" and its terminator
    EXPECT_EQ("secret", Text(open.data));
    EXPECT_EQ("/data/cust.dat", Text(open.key));
    EXPECT_EQ(255, open.keyLength);
    EXPECT_EQ(0, open.keyNumber);
    EXPECT_EQ("/data/cust.dat", file.fileName().ToStdString());
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(0, file.status());

    const FakeCall& stat = engine.Call(1);
    EXPECT_EQ(BtrieveFile::kOpStat, stat.operation);
    EXPECT_EQ(-1, stat.keyNumber);
    EXPECT_EQ(static_cast<uint32_t>(BtrieveFile::kStatBufferSize), stat.dataLengthIn);
    EXPECT_EQ(kFakeRecordLength, file.dataLength());
}

TEST_F(BtrieveFileCalls, OpenSplitsAtTheFirstPlusAndSendsTheMode) {
    struct Case {
        const char* path;
        const char* fileName;
        const char* engineName;  // the file system's form: "/" and UTF-8
        const char* owner;
        uint32_t length;
        int mode;
    };
    const Case cases[] = {
        {"/data/plain.dat", "/data/plain.dat", "/data/plain.dat", "", 0, 0},
        {"/data/a.dat+own+er", "/data/a.dat", "/data/a.dat", "own+er", 7, 0},
        {"/data/b.dat+", "/data/b.dat", "/data/b.dat", "", 0, 0},
        {"rel\\c.dat+x", "rel\\c.dat", "rel/c.dat", "x", 2, -2},
        {"caf\x82.dat+\x82", "caf\x82.dat", "caf\xC3\xA9.dat", "\x82", 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        BtrieveFile file;
        engine.reset();
        ASSERT_EQ(0, file.open(c.path, c.mode));
        const FakeCall& open = engine.Call(0);
        EXPECT_EQ(c.length, open.dataLengthIn);
        EXPECT_EQ(0, open.dataWasNull);
        EXPECT_EQ(c.owner, Text(open.data));
        EXPECT_EQ(c.engineName, Text(open.key));
        EXPECT_EQ(c.mode, open.keyNumber);
        EXPECT_EQ(c.fileName, file.fileName().ToStdString());
    }
}

TEST_F(BtrieveFileCalls, NameTooLongForTheKeyBufferIsRefusedBeforeTheEngine) {
    BtrieveFile file;
    std::string longName(255, 'n');
    EXPECT_EQ(kStatusInvalidFileName, file.open(longName.c_str()));
    EXPECT_EQ(0, engine.Calls());
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(kStatusInvalidFileName, BtrieveFile::createFile("spec", 4, longName.c_str(), false));
    EXPECT_EQ(0, engine.Calls());
    std::string longest(254, 'n');
    EXPECT_EQ(0, file.open(longest.c_str()));
    EXPECT_EQ(longest, Text(engine.Call(0).key));
}

TEST_F(BtrieveFileCalls, GetOperationsSendTheirCodeKeyAndLength) {
    using Get = int (BtrieveFile::*)(void*, void*, int, int);
    struct Case {
        const char* name;
        Get get;
        int code;
    };
    const Case cases[] = {
        {"getEqual", &BtrieveFile::getEqual, 5},
        {"getNext", &BtrieveFile::getNext, 6},
        {"getPrevious", &BtrieveFile::getPrevious, 7},
        {"getGreater", &BtrieveFile::getGreater, 8},
        {"getGreaterOrEqual", &BtrieveFile::getGreaterOrEqual, 9},
        {"getLess", &BtrieveFile::getLess, 10},
        {"getLessOrEqual", &BtrieveFile::getLessOrEqual, 11},
        {"getFirst", &BtrieveFile::getFirst, 12},
        {"getLast", &BtrieveFile::getLast, 13},
    };
    BtrieveFile file;
    OpenPlain(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.reset();
        std::strcpy(key, "findme");
        file.setDataLength(200);
        ASSERT_EQ(0, (file.*c.get)(key, record, 3, 0));
        const FakeCall& call = engine.LastCall();
        EXPECT_EQ(c.code, call.operation);
        EXPECT_EQ(3, call.keyNumber);
        EXPECT_EQ(255, call.keyLength);
        EXPECT_EQ(200u, call.dataLengthIn);
        EXPECT_EQ("findme", Text(call.key));
        EXPECT_EQ(std::string("REC") + static_cast<char>(c.code), std::string(record, 4));
        EXPECT_STREQ("KEY", key);

        // Without a record buffer: the key-only form, length 0, dataLength kept.
        engine.reset();
        file.setDataLength(200);
        ASSERT_EQ(0, (file.*c.get)(key, nullptr, 1, 0));
        const FakeCall& keyOnly = engine.LastCall();
        EXPECT_EQ(c.code + 50, keyOnly.operation);
        EXPECT_EQ(1, keyOnly.dataWasNull);
        EXPECT_EQ(0u, keyOnly.dataLengthIn);
        EXPECT_EQ(200, file.dataLength());
    }
}

TEST_F(BtrieveFileCalls, ReadsKeepTheLow16BitsOfTheLengthWrittenBack) {
    BtrieveFile file;
    OpenPlain(file);
    engine.setReplyLength(0x10000 + 40);
    file.setDataLength(300);
    ASSERT_EQ(0, file.getFirst(key, record, 0));
    EXPECT_EQ(40, file.dataLength());
    // The next read sends the length just read.
    ASSERT_EQ(0, file.stepNext(record, key));
    EXPECT_EQ(40u, engine.LastCall().dataLengthIn);
}

TEST_F(BtrieveFileCalls, StepOperationsUseKeyNumberZero) {
    using Step = int (BtrieveFile::*)(void*, void*, int);
    struct Case {
        const char* name;
        Step step;
        int code;
    };
    const Case cases[] = {
        {"stepFirst", &BtrieveFile::stepFirst, 33},
        {"stepLast", &BtrieveFile::stepLast, 34},
        {"stepNext", &BtrieveFile::stepNext, 24},
        {"stepPrevious", &BtrieveFile::stepPrevious, 35},
    };
    BtrieveFile file;
    OpenPlain(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.reset();
        ASSERT_EQ(0, (file.*c.step)(record, nullptr, 0));  // a null key buffer gets a scratch one
        const FakeCall& call = engine.LastCall();
        EXPECT_EQ(c.code, call.operation);
        EXPECT_EQ(0, call.keyNumber);
        EXPECT_EQ(static_cast<uint32_t>(kFakeRecordLength), call.dataLengthIn);
        EXPECT_EQ(std::string("REC") + static_cast<char>(c.code), std::string(record, 4));
    }
}

TEST_F(BtrieveFileCalls, PositionsGetDirectAndFindPercentage) {
    BtrieveFile file;
    OpenPlain(file);
    file.setDataLength(64);
    EXPECT_EQ(kFakePosition, file.getPosition());
    EXPECT_EQ(BtrieveFile::kOpGetPosition, engine.LastCall().operation);
    EXPECT_EQ(4u, engine.LastCall().dataLengthIn);
    EXPECT_EQ(64, file.dataLength());  // untouched

    ASSERT_EQ(0, file.getDirect(0xA1B2C3D4u, record, key, 2));
    const FakeCall& direct = engine.LastCall();
    EXPECT_EQ(BtrieveFile::kOpGetDirect, direct.operation);
    EXPECT_EQ(0xA1B2C3D4u, le::GetU32(direct.data));
    EXPECT_EQ(2, direct.keyNumber);
    EXPECT_EQ(64u, direct.dataLengthIn);
    int before = engine.Calls();
    EXPECT_EQ(kStatusDataBufferLength, file.getDirect(1, nullptr, key, 0));
    EXPECT_EQ(before, engine.Calls());

    float percentage = -1;
    ASSERT_EQ(0, file.findPercentage(nullptr, 0x55667788u, -1, percentage));
    const FakeCall& byPosition = engine.LastCall();
    EXPECT_EQ(BtrieveFile::kOpFindPercentage, byPosition.operation);
    EXPECT_EQ(0x55667788u, le::GetU32(byPosition.data));
    EXPECT_EQ(-1, byPosition.keyNumber);
    EXPECT_FLOAT_EQ(0x1234 / 100.0f, percentage);
    std::strcpy(key, "kv");
    ASSERT_EQ(0, file.findPercentage(key, 0, 1, percentage));
    EXPECT_EQ("kv", Text(engine.LastCall().key));
    EXPECT_EQ(1, engine.LastCall().keyNumber);
}

TEST_F(BtrieveFileCalls, WritesSendTheCurrentDataLength) {
    BtrieveFile file;
    OpenPlain(file);
    std::memcpy(record, "abcdefg", 7);
    file.setDataLength(7);
    ASSERT_EQ(0, file.insertRecord(record, 0));
    EXPECT_EQ(BtrieveFile::kOpInsert, engine.LastCall().operation);
    EXPECT_EQ(7u, engine.LastCall().dataLengthIn);
    EXPECT_EQ(0, std::memcmp("abcdefg", engine.LastCall().data, 7));
    ASSERT_EQ(0, file.updateRecord(record, 1));
    EXPECT_EQ(BtrieveFile::kOpUpdate, engine.LastCall().operation);
    EXPECT_EQ(1, engine.LastCall().keyNumber);
    ASSERT_EQ(0, file.deleteRecord(2));
    EXPECT_EQ(BtrieveFile::kOpDelete, engine.LastCall().operation);
    EXPECT_EQ(2, engine.LastCall().keyNumber);
    EXPECT_EQ(7u, engine.LastCall().dataLengthIn);
}

TEST_F(BtrieveFileCalls, StatAccessorsOwnerAndIndexes) {
    BtrieveFile file;
    OpenPlain(file);
    engine.setStat(300, 0x0001);
    EXPECT_EQ(300, file.recordLength());
    EXPECT_EQ(0x0001, file.fileFlags());
    engine.setStat(kFakeRecordLength, kFakeFileFlags);
    EXPECT_EQ(kFakeRecordLength, file.recordLength());
    EXPECT_EQ(kFakeFileFlags, file.fileFlags());

    ASSERT_EQ(0, file.setOwner("pw", 3));
    const FakeCall& set = engine.LastCall();
    EXPECT_EQ(BtrieveFile::kOpSetOwner, set.operation);
    EXPECT_EQ("pw", Text(set.data));
    EXPECT_EQ("pw", Text(set.key));
    EXPECT_EQ(255u, set.dataLengthIn);
    EXPECT_EQ(3, set.keyNumber);
    ASSERT_EQ(0, file.clearOwner());
    EXPECT_EQ(BtrieveFile::kOpClearOwner, engine.LastCall().operation);
    EXPECT_EQ(0u, engine.LastCall().dataLengthIn);

    unsigned char specification[32];
    for (int i = 0; i < 32; ++i) specification[i] = static_cast<unsigned char>(i + 1);
    ASSERT_EQ(0, file.createSupplementalIndex(specification, 2));
    EXPECT_EQ(BtrieveFile::kOpCreateIndex, engine.LastCall().operation);
    EXPECT_EQ(32u, engine.LastCall().dataLengthIn);
    EXPECT_EQ(0, std::memcmp(specification, engine.LastCall().data, 32));
    ASSERT_EQ(0, file.dropSupplementalIndex(4));
    EXPECT_EQ(BtrieveFile::kOpDropIndex, engine.LastCall().operation);
    EXPECT_EQ(4, engine.LastCall().keyNumber);
}

TEST_F(BtrieveFileCalls, CreateFileUsesItsOwnPositionBlockAndReplaceFlag) {
    BtrieveFile file;
    OpenPlain(file);
    ASSERT_EQ(0, file.getFirst(key, record, 0));
    void* filesBlock = engine.LastCall().positionBlock;
    const char specification[] = "0123456789abcdef";
    ASSERT_EQ(0, BtrieveFile::createFile(specification, 16, "/data/new.dat", false));
    const FakeCall& create = engine.LastCall();
    EXPECT_EQ(BtrieveFile::kOpCreate, create.operation);
    EXPECT_EQ(-1, create.keyNumber);
    EXPECT_EQ(16u, create.dataLengthIn);
    EXPECT_EQ(0, std::memcmp(specification, create.data, 16));
    EXPECT_EQ("/data/new.dat", Text(create.key));
    EXPECT_NE(filesBlock, create.positionBlock);
    ASSERT_EQ(0, BtrieveFile::createFile(specification, 16, "/data/new.dat", true));
    EXPECT_EQ(0, engine.LastCall().keyNumber);
}

TEST_F(BtrieveFileCalls, EachFileKeepsItsPositionBlockAndCloses) {
    BtrieveFile first, second;
    ASSERT_EQ(0, first.open("/a.dat"));
    ASSERT_EQ(0, second.open("/b.dat"));
    engine.reset();
    first.getFirst(key, record, 0);
    first.stepNext(record, key);
    second.getFirst(key, record, 0);
    EXPECT_EQ(engine.Call(0).positionBlock, engine.Call(1).positionBlock);
    EXPECT_NE(engine.Call(0).positionBlock, engine.Call(2).positionBlock);
    ASSERT_EQ(0, first.close());
    EXPECT_EQ(BtrieveFile::kOpClose, engine.LastCall().operation);
    EXPECT_FALSE(first.isOpen());
    EXPECT_TRUE(second.isOpen());
    // Reopening an open file closes it first.
    engine.reset();
    ASSERT_EQ(0, second.open("/c.dat"));
    EXPECT_EQ(BtrieveFile::kOpClose, engine.Call(0).operation);
    EXPECT_EQ(BtrieveFile::kOpOpen, engine.Call(1).operation);
}
