#include "app/Startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "dictionary/DictionaryWriter.h"
#include "app/FileCreation.h"
#include "app/FilePick.h"
#include "app/Opener.h"
#include "dictionary/Schema.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/LockWait.h"
#include "dictionary/DictionaryMessages.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "ui/KeyCodes.h"

namespace {

TEST(CommandLine, OptionsFileNameAndLongOptions) {
    const struct {
        std::vector<const char*> args;
        const char* file;
        const char* dictionary;
        bool help, version;
        const char* bad;
    } cases[] = {
        {{"-d", "c:\\ddf", "orders"}, "orders", "c:\\ddf", false, false, ""},
        {{"/d", "ddfdir", "a.dat", "b.dat"}, "b.dat", "ddfdir", false, false, ""},
        {{"/x", "-D", "orders"}, "orders", "", false, false, ""},  // -D is not the d option
        {{"orders", "-d"}, "orders", "", false, false, ""},         // d without a value
        {{"/home/me/orders.dat"}, "/home/me/orders.dat", "", false, false, ""},
        {{"--help"}, "", "", true, false, ""},
        {{"--version", "x"}, "x", "", false, true, ""},
        {{"--frobnicate", "--other"}, "", "", false, false, "--frobnicate"},
        {{"-dmine", "there"}, "", "there", false, false, ""},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"quarrydex"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        CommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        std::string shown;
        for (const char* a : c.args) shown += std::string(a) + " ";
        EXPECT_EQ(c.file, parsed.fileArgument.ToStdString()) << shown;
        EXPECT_EQ(c.dictionary, parsed.dictionaryPath.ToStdString()) << shown;
        EXPECT_EQ(c.help, parsed.help) << shown;
        EXPECT_EQ(c.version, parsed.version) << shown;
        EXPECT_EQ(c.bad, parsed.badOption.ToStdString()) << shown;
    }
}

TEST(CommandLine, FileArgumentNormalised) {
    EXPECT_EQ("orders.dat", NormalisedFileArgument("orders").ToStdString());
    EXPECT_EQ("../data/orders", NormalisedFileArgument("..\\data\\orders").ToStdString());
    EXPECT_EQ("x.y", NormalisedFileArgument("x.y").ToStdString());
}

const char kSchema[] = R"(
table Orders location ORDERS.DAT
  field OrderNo Integer 4
  field Code String 6
  index 0 : OrderNo
  index 1 duplicates : Code case-insensitive
table Memos location memos.dat nocreate
  field Id Integer 4
  field Text Note 100
  index 0 : Id
table Locked location locked.dat owner secret
  field Id Integer 4
  index 0 : Id
)";

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        apptest::UseRealEngine();
        char cwd[4096];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        savedCwd = cwd;
        Schema schema;
        SchemaError error;
        ASSERT_TRUE(ParseSchema(kSchema, schema, error)) << error.message.Text();
        Estring message;
        ASSERT_TRUE(DefineDatabase(Estring(dir.Path().c_str()), schema, DefineOptions(), message)) << message.Text();
        ASSERT_EQ(0, chdir(dir.Path().c_str()));
        Estring path(dir.Path().c_str());
        ASSERT_TRUE(openDictionary(path, nullptr));
    }
    void TearDown() override {
        closeDictionary();
        ASSERT_EQ(0, chdir(savedCwd.c_str()));
    }

    apptest::ScratchDir dir;
    std::string savedCwd;
    MemoryDisplay screen{80, 25};
    ScriptedInput keys;
    ScopedConsole console{screen, keys};
};

TEST_F(StartupTest, TableFoundByLocationInAnyCaseOrByBaseName) {
    std::vector<uint8_t> record;
    ASSERT_TRUE(FindTableByLocation("orders.dat", record));
    EXPECT_EQ("Orders", TableNameOf(record.data()).ToStdString());
    ASSERT_TRUE(FindTableByLocation("../elsewhere/Memos.DAT", record));
    EXPECT_EQ("Memos", TableNameOf(record.data()).ToStdString());
    EXPECT_FALSE(FindTableByLocation("nosuch.dat", record));
}

TEST_F(StartupTest, CreatedFromDefinitionWithItsIndexesAndVariableLength) {
    std::vector<uint8_t> record;
    ASSERT_TRUE(FindTableByLocation("memos.dat", record));
    DictionaryDef memos(record.data(), "memos.dat", nullptr);
    ASSERT_TRUE(memos.valid);
    ASSERT_EQ(0, createFromDefinition(memos, false));
    EXPECT_EQ(59, createFromDefinition(memos, false));  // exists: refused without replace
    BtrieveFile file;
    ASSERT_EQ(0, file.open("memos.dat"));
    std::vector<uint8_t> stat(BtrieveFile::kStatBufferSize);
    ASSERT_EQ(0, file.stat(stat.data()));
    EXPECT_EQ(4096, le::GetU16(&stat[2]));
    EXPECT_EQ(1, stat[4]);
    EXPECT_EQ(1, le::GetU16(&stat[10]) & 1) << "a Note field last makes the records variable-length";

    std::vector<uint8_t> spec = DefinitionSpecification(memos);
    ASSERT_EQ(32u, spec.size());
    EXPECT_EQ(1, le::GetU16(&spec[16]));  // Id at offset 0 -> position 1
    EXPECT_EQ(4, le::GetU16(&spec[18]));
}

TEST_F(StartupTest, TypeAheadFindsTheTableByItsFirstLetters) {
    FilePick pick("./file.ddf");
    keys.PushText("lo");
    keys.PushKey(kKeyEnter);
    EXPECT_EQ(kKeyEnter, pick.run(nullptr));
    EXPECT_EQ("locked.dat", pick.chosenFileName.ToStdString());
    keys.PushText("oz");  // no table starts with "OZ": the O alone stays
    keys.PushKey(kKeyEnter);
    EXPECT_EQ(kKeyEnter, pick.run(nullptr));
    EXPECT_EQ("ORDERS.DAT", pick.chosenFileName.ToStdString());
}

// On a low screen the table list keeps its frame round at least one row and
// stays clear of the title band (the two top lines).
TEST_F(StartupTest, TableListOnALowScreenKeepsItsFrameAndARow) {
    for (int height : {10, 11, 12}) {
        MemoryDisplay low{80, height};
        ScriptedInput none;
        ScopedConsole lowConsole{low, none};
        FilePick pick("./file.ddf");
        pick.refill();
        int title = -1;
        for (int y = 0; y < height && title < 0; ++y)
            if (low.RowText(y).find(" ./file.ddf ") != std::string::npos) title = y;
        ASSERT_GE(title, 2) << "height " << height;
        ASSERT_LT(title + 2, height) << "height " << height;
        const int left = pick.Left();
        EXPECT_EQ(low.At(left, title + 1).ch, low.At(pick.Right(), title + 1).ch) << "height " << height;
        EXPECT_NE(std::string::npos, low.RowText(title + 1).find(".d")) << low.RowText(title + 1);
        EXPECT_NE(std::string::npos, low.RowText(title + 2).find("Alt-O=Open Options")) << low.RowText(title + 2);
        EXPECT_EQ(std::string::npos, low.RowText(title + 2).find(".d")) << low.RowText(title + 2);
    }
}

TEST_F(StartupTest, OwnerPromptRetriesUntilTheRightName) {
    std::vector<uint8_t> record;
    ASSERT_TRUE(FindTableByLocation("locked.dat", record));
    Estring owner;
    keys.PushText("wrong");
    keys.PushKey(kKeyEnter);
    for (int i = 0; i < 5; ++i) keys.PushKey(kKeyBackspace);  // the prompt keeps the wrong name: rub it out
    keys.PushText("secret");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyAltX);  // in the grid
    EXPECT_TRUE(openDataFile("locked.dat", record.data(), owner));
    EXPECT_EQ("secret", owner.ToStdString());
}

TEST_F(StartupTest, MissingFileIsCreatedOnOkAndNotOnCancel) {
    std::vector<uint8_t> record;
    ASSERT_TRUE(FindTableByLocation("memos.dat", record));
    Estring owner;
    keys.PushKey(kKeyEsc);  // Cancel
    EXPECT_FALSE(openDataFile("memos.dat", record.data(), owner));
    BtrieveFile file;
    EXPECT_EQ(12, file.open("memos.dat"));
    keys.PushKey(kKeyEnter);  // OK
    keys.PushKey(kKeyEsc);    // leave the empty grid
    EXPECT_FALSE(openDataFile("memos.dat", record.data(), owner));
    EXPECT_EQ(0, file.open("memos.dat"));
}

// Notes which lock-wait prompt and dictionary messages are installed at each
// key read, then answers Esc (the table list ends the run).
class InstalledProbe : public InputSource {
public:
    void Read(InputEvent& event, int) override {
        prompts.push_back(InstalledLockWaitPrompt());
        messages.push_back(InstalledDictionaryMessages());
        event = InputEvent{kEventKey, kKeyEsc, 0, 0};
    }
    bool Pending() override { return false; }

    std::vector<LockWaitPrompt*> prompts;
    std::vector<DictionaryMessages*> messages;
};

TEST_F(StartupTest, TheRunInstallsTheLockWaitAndTheMessagesAndPutsBackTheFormer) {
    struct NoPrompt : LockWaitPrompt {
        bool Wait(const Estring&, int) override { return false; }
    } formerPrompt;
    struct NoMessages : DictionaryMessages {
        void Show(const Estring&, const Estring&) override {}
    } formerMessages;
    InstallLockWaitPrompt(&formerPrompt);
    InstallDictionaryMessages(&formerMessages);
    InstalledProbe probe;
    InstallConsole(&screen, &probe);
    CommandLine commandLine;
    commandLine.dictionaryPath = Estring(dir.Path().c_str());
    EXPECT_EQ(0, RunQuarrydex(commandLine));
    ASSERT_FALSE(probe.prompts.empty()) << "the table list read no key";
    for (size_t i = 0; i < probe.prompts.size(); ++i) {
        EXPECT_NE(nullptr, probe.prompts[i]) << "read " << i;
        EXPECT_NE(&formerPrompt, probe.prompts[i]) << "read " << i;
        EXPECT_NE(nullptr, probe.messages[i]) << "read " << i;
        EXPECT_NE(&formerMessages, probe.messages[i]) << "read " << i;
    }
    EXPECT_EQ(&formerPrompt, InstalledLockWaitPrompt());
    EXPECT_EQ(&formerMessages, InstalledDictionaryMessages());
    InstallLockWaitPrompt(nullptr);
    InstallDictionaryMessages(nullptr);
    EXPECT_EQ(0, RunQuarrydex(commandLine));
    EXPECT_EQ(nullptr, InstalledLockWaitPrompt()) << "nothing was installed before this run";
    EXPECT_EQ(nullptr, InstalledDictionaryMessages());
    InstallConsole(&screen, &keys);
}

}  // namespace
