// The lock wait below the toolkit: what it asks of the installed prompt, and
// the unseen wait without one.

#include "btrieve/LockWait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "btrieve/BtrieveFile.h"

namespace {

// A prompt that notes each wait and gives up at the wait it is told to.
class ScriptedPrompt : public LockWaitPrompt {
public:
    bool Wait(const Estring& fileName, int status) override {
        names.push_back(fileName.ToStdString());
        statuses.push_back(status);
        if (onWait) onWait();
        return static_cast<int>(statuses.size()) == giveUpAt;
    }
    int giveUpAt = 0;  // 0: never
    std::vector<std::string> names;
    std::vector<int> statuses;
    std::function<void()> onWait;
};

class LockWaitPromptTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.Ready());
        InstallLockWaitPrompt(&prompt);
        ASSERT_EQ(0, file.open("/data/orders.dat"));
        engine.reset();
    }
    void TearDown() override { InstallLockWaitPrompt(nullptr); }

    ScriptedPrompt prompt;
    FakeEngine engine;
    BtrieveFile file;
    char key[256] = {};
    char record[256] = {};
};

}  // namespace

TEST_F(LockWaitPromptTest, EveryRefusalIsOneWaitUntilTheLockGoes) {
    engine.setLocked(3, kStatusFileLocked);
    EXPECT_EQ(0, file.getFirst(key, record, 0));
    EXPECT_EQ(4, engine.Calls());
    ASSERT_EQ(3u, prompt.statuses.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(kStatusFileLocked, prompt.statuses[i]);
        EXPECT_EQ("/data/orders.dat", prompt.names[i]);
    }
}

TEST_F(LockWaitPromptTest, GivingUpAnswersTheLockedStatusWithoutAnotherCall) {
    prompt.giveUpAt = 2;
    engine.setLocked(10, kStatusRecordLocked);
    EXPECT_EQ(kStatusRecordLocked, file.getNext(key, record, 0));
    EXPECT_EQ(kStatusRecordLocked, file.status());
    EXPECT_EQ(2, engine.Calls());
    EXPECT_EQ(2u, prompt.statuses.size());
    engine.reset();  // the file closes without waiting
}

TEST_F(LockWaitPromptTest, NoWaitBiasesNeverAskThePrompt) {
    engine.setLocked(1, kStatusRecordLocked);
    EXPECT_EQ(kStatusRecordLocked, file.getEqual(key, record, 0, 200));
    EXPECT_TRUE(prompt.statuses.empty());
}

TEST_F(LockWaitPromptTest, TheFileLockIsFreeDuringThePrompt) {
    RecursiveLock lock;
    ASSERT_EQ(0, lock.Lock(-1));
    std::vector<int> held;
    prompt.onWait = [&] { held.push_back(lock.HeldByCaller()); };
    engine.setLocked(2, kStatusRecordLocked);
    uint16_t length = 10;
    EXPECT_EQ(0, CallWithLockWait(lock, BtrieveFile::kOpGetFirst, record, record, &length, key, 0, "f.dat"));
    EXPECT_EQ((std::vector<int>{0, 0}), held);
    EXPECT_EQ(1, lock.HeldByCaller());
    lock.Unlock();
}

// Without a prompt (qdxutil) a wait passes unseen, as long as a shown one.
TEST_F(LockWaitPromptTest, WithoutAPromptTheWaitPassesUnseen) {
    InstallLockWaitPrompt(nullptr);
    engine.setLocked(1, kStatusFileLocked);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, file.getFirst(key, record, 0));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(2, engine.Calls());
    EXPECT_GE(waited.count(), kLockWaitPolls * kLockWaitPollMs - 50);
    EXPECT_TRUE(prompt.statuses.empty());
}

TEST(LockWaitText, LongNamesLoseTheirStart) {
    EXPECT_EQ("File Locked, waiting: a.dat(85)", LockWaitText("a.dat", 85, 78).ToStdString());
    std::string name = "/very/long/" + std::string(100, 'd') + "/tail.dat";
    std::string text = LockWaitText(name.c_str(), 84, 78).ToStdString();
    EXPECT_EQ(78u, text.size());
    EXPECT_EQ("File Locked, waiting: ...", text.substr(0, 25));
    EXPECT_EQ("/tail.dat(84)", text.substr(text.size() - 13));
}
