// What the administration operations and their dialogs send to the engine,
// observed through the stand-in engine library that records every call:
// nothing for an empty owner name or an empty key, the key number plus 128
// for a drop that keeps the numbers, the key specification byte for byte.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "GridTestSupport.h"
#include "admin/FileOwner.h"
#include "admin/KeySpecification.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldTypes.h"
#include "platform/Console.h"
#include "ui/KeyCodes.h"
#include "viewer/FileAdmin.h"
#include "viewer/IndexAdmin.h"

namespace {

using viewertest::SnapshotInput;

constexpr int kOpSetOwner = 29, kOpClearOwner = 30, kOpCreateIndex = 31, kOpDropIndex = 32;

class AdminEngineCalls : public ::testing::Test {
protected:
    AdminEngineCalls() : screen(80, 25), keys(screen) {}

    void SetUp() override {
        ASSERT_TRUE(engine.Ready()) << "stand-in engine " << QDX_FAKE_ENGINE_PATH;
        ASSERT_EQ(0, file.open("/data/items.dat"));
        engine.reset();
    }

    // The calls of one operation since the last reset.
    std::vector<int> Operations() const {
        std::vector<int> ops;
        for (int i = 0; i < engine.Calls(); ++i) ops.push_back(engine.Call(i).operation);
        return ops;
    }

    // The key number travels as one byte (signed at the entry point).
    int SentKeyByte() const { return static_cast<uint8_t>(engine.LastCall().keyNumber); }

    FakeEngine engine;
    BtrieveFile file;
    MemoryDisplay screen;
    SnapshotInput keys;
    ScopedConsole console{screen, keys};
    std::unique_ptr<FieldAttributes> name =
        FieldAttributes::FromDictionary("Name", kTypeString, 4, 10, 0, 1, 0);
    std::unique_ptr<FieldAttributes> id = FieldAttributes::FromDictionary("Id", kTypeInteger, 0, 4, 0, 2, 0);
};

TEST_F(AdminEngineCalls, EmptyOwnerNameMakesNoCall) {
    EXPECT_EQ(kOwnerNotGiven, SetFileOwner(file, Estring(), 0));
    EXPECT_EQ(0, engine.Calls());

    // The dialog's Set with nothing typed ends it, again without a call.
    keys.PushKey(kKeyEnter);
    EXPECT_FALSE(modifyFileOwner(file));
    EXPECT_EQ(0, engine.Calls());
    EXPECT_EQ(0, keys.Remaining());
}

TEST_F(AdminEngineCalls, OwnerDialogSendsNameAndAccessMode) {
    struct Case {
        const char* label;
        std::vector<int> toggles;  // key presses between the name and Set
        int mode;
    } cases[] = {
        {"defaults", {}, 0},
        {"read-only access free", {kKeyTab, ' '}, 1},
        {"encrypted", {kKeyTab, kKeyDown, ' '}, 2},
        {"encrypted, read-only free", {kKeyTab, ' ', kKeyDown, ' '}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        engine.reset();
        keys.PushText("Mole");
        for (int k : c.toggles) keys.PushKey(k);
        keys.PushKey(kKeyEnter);  // Set
        keys.PushText("Mole");
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyEnter);  // "Owner successfully set"
        EXPECT_TRUE(modifyFileOwner(file));
        ASSERT_EQ(std::vector<int>{kOpSetOwner}, Operations());
        const FakeCall& set = engine.LastCall();
        EXPECT_EQ(c.mode, set.keyNumber);
        EXPECT_EQ(std::string("Mole"), reinterpret_cast<const char*>(set.data));
        EXPECT_EQ(std::string("Mole"), reinterpret_cast<const char*>(set.key));
        EXPECT_EQ(255u, set.dataLengthIn);
        EXPECT_EQ(0, keys.Remaining());
    }
}

TEST_F(AdminEngineCalls, MismatchedConfirmationAndClear) {
    keys.PushText("Mole");
    keys.PushKey(kKeyEnter);
    keys.PushText("Mile");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // the mismatch box
    keys.PushKey(kKeyAltC);   // Clear instead
    keys.PushKey(kKeyEnter);  // "Owner has been cleared"
    EXPECT_TRUE(modifyFileOwner(file));
    EXPECT_EQ(std::vector<int>{kOpClearOwner}, Operations());
}

// The File Statistics window shows the version and flags the engine reports.
TEST_F(AdminEngineCalls, StatisticsWindowShowsTheReportedVersionAndFlags) {
    struct Case {
        int version;
        int flags;
        std::vector<std::string> shown;
        std::vector<std::string> notShown;
    } cases[] = {
        {0x50, 0x0041, {"File Version      : pre-6.x", "Variable Length  ", "10% free space threshold"},
         {"(right trimmed)", "File Version      : 5"}},
        {0x72, 0x0003, {"File Version      : 7.2", "Variable Length (right trimmed)"},
         {"free space threshold", "pre-6.x"}},
        {0x60, 0x0000, {"File Version      : 6.0", "Record Size       : 200"}, {"Variable Length"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        engine.reset();
        engine.setStat(200, c.flags);
        engine.setStatVersion(c.version);
        keys.screens.clear();
        keys.PushKey(kKeyEsc);
        showFileStatistics(file, Estring("/data/items.dat"));
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_TRUE(keys.Saw("File Statistics for"));
        for (const std::string& text : c.shown) EXPECT_TRUE(keys.Saw(text)) << text;
        for (const std::string& text : c.notShown) EXPECT_FALSE(keys.Saw(text)) << text;
    }
}

TEST_F(AdminEngineCalls, DropSendsTheKeyPlus128WhenNumbersAreKept) {
    ASSERT_EQ(0, DropIndex(file, 3, true));
    EXPECT_EQ(3, engine.LastCall().keyNumber);
    ASSERT_EQ(0, DropIndex(file, 3, false));
    EXPECT_EQ(131, SentKeyByte());
    ASSERT_EQ(0, DropIndex(file, 0, false));
    EXPECT_EQ(128, SentKeyByte());

    // Through the question: "Renumber indexes above" unchecked with Space.
    engine.reset();
    bool renumbered = true;
    keys.PushKey(' ');
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(dropIndex(file, 5, renumbered));
    EXPECT_FALSE(renumbered);
    ASSERT_EQ(std::vector<int>{kOpDropIndex}, Operations());
    EXPECT_EQ(133, SentKeyByte());
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(dropIndex(file, 5, renumbered));
    EXPECT_EQ(1, engine.Calls()) << "Cancel drops nothing";
}

TEST_F(AdminEngineCalls, CreateSendsTheSpecificationAsBuilt) {
    IndexSegment text = NewIndexSegment(*name);
    text.descending = true;
    text.caseSensitive = true;
    const std::vector<IndexSegment> segments = {text, NewIndexSegment(*id)};
    IndexOptions options;
    options.duplicates = true;
    options.modifiable = true;
    options.nullKey = NullKey::kAnySegment;
    ASSERT_EQ(0, CreateIndex(file, segments, options));
    ASSERT_EQ(std::vector<int>{kOpCreateIndex}, Operations());
    const FakeCall& call = engine.LastCall();
    ASSERT_EQ(32u, call.dataLengthIn);
    const std::vector<uint8_t> built = BuildKeySpecification(segments, options);
    EXPECT_EQ(0, std::memcmp(built.data(), call.data, built.size()));
    // Case-sensitive descending text, duplicates, modifiable, any-segment null,
    // and the segmented bit on the first entry only.
    EXPECT_EQ(0x0140 | 0x0001 | 0x0002 | 0x0200 | 0x0010, le::GetU16(call.data + 4));
    EXPECT_EQ(0x0100 | 0x0001 | 0x0002 | 0x0200, le::GetU16(call.data + 16 + 4));
    EXPECT_EQ(5, le::GetU16(call.data));        // Name at offset 4, 1-based
    EXPECT_EQ(10, le::GetU16(call.data + 2));
    EXPECT_EQ(kTypeString, call.data[10]);
    EXPECT_EQ(kTypeInteger, call.data[16 + 10]);

    engine.reset();
    EXPECT_EQ(22, CreateIndex(file, {}, options));
    EXPECT_EQ(0, engine.Calls()) << "an empty key is not sent";
}

}  // namespace
