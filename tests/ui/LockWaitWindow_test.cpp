// The lock wait as the user sees it, driven by the stand-in engine answering
// "locked" and a scripted keyboard; the screen is an in-memory display.

#include "EngineTestSupport.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/LockWait.h"
#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "ui/KeyCodes.h"
#include "ui/LockWaitWindow.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

// A scripted keyboard that also notes, at every read, the bottom screen row
// and its colours, so the test sees what the user saw while waiting.
class WatchingInput : public InputSource {
public:
    explicit WatchingInput(MemoryDisplay& screen) : screen(screen) {}

    void PushKey(int key) { events.push_back(InputEvent{kEventKey, key, 0, 0}); }
    void PushTimeout() { events.push_back(InputEvent{kEventNone, 0, 0, 0}); }
    void Read(InputEvent& event, int timeoutMs) override {
        int bottom = screen.Height() - 1;
        rows.push_back(screen.RowText(bottom));
        std::string attributes;
        for (int x = 0; x < screen.Width(); ++x) attributes += static_cast<char>(screen.At(x, bottom).attr);
        rowAttributes.push_back(attributes);
        if (onRead) onRead();
        if (!events.empty()) {
            event = events.front();
            events.pop_front();
            return;
        }
        event = timeoutMs < 0 ? InputEvent{kEventKey, 27, 0, 0} : InputEvent{kEventNone, 0, 0, 0};
    }
    bool Pending() override { return !events.empty(); }

    std::vector<std::string> rows;
    std::vector<std::string> rowAttributes;
    std::function<void()> onRead;

private:
    MemoryDisplay& screen;
    std::deque<InputEvent> events;
};

std::string Snapshot(MemoryDisplay& screen) {
    std::string all;
    for (int y = 0; y < screen.Height(); ++y) {
        all += screen.RowText(y);
        for (int x = 0; x < screen.Width(); ++x) all += static_cast<char>(screen.At(x, y).attr);
    }
    return all;
}

class LockWaitTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.Ready());
        // Something on the screen for the waiting line to cover and give back.
        for (int y = 0; y < screen.Height(); ++y) {
            for (int x = 0; x < screen.Width(); ++x) {
                screen.At(x, y) = Cell{static_cast<uint8_t>('a' + (x + y) % 26), static_cast<uint8_t>(0x10 + y % 7)};
            }
        }
        InstallLockWaitPrompt(&prompt);
        ASSERT_EQ(0, file.open("/data/cust.dat"));
        engine.reset();
        before = Snapshot(screen);
    }
    void TearDown() override {
        InstallLockWaitPrompt(nullptr);
    }

    LockWaitWindow prompt;
    FakeEngine engine;
    MemoryDisplay screen{80, 25};
    WatchingInput input{screen};
    ScopedConsole console{screen, input};
    BtrieveFile file;
    std::string before;
    char key[256] = {};
    char record[256] = {};
};

}  // namespace

TEST_F(LockWaitTest, ShowsTheMessageOnTheBottomRowAndRetriesAfterTheWait) {
    engine.setLocked(2, kStatusRecordLocked);
    EXPECT_EQ(0, file.getFirst(key, record, 0));
    EXPECT_EQ(3, engine.Calls());  // two refused, the third served
    EXPECT_EQ(2 * kLockWaitPolls, static_cast<int>(input.rows.size()));  // every poll timed out

    const std::string text = "File Locked, waiting: /data/cust.dat(84)";
    const int width = static_cast<int>(text.size()) + 2;
    const int left = (80 - width) / 2;
    for (size_t i = 0; i < input.rows.size(); ++i) {
        SCOPED_TRACE("read " + std::to_string(i));
        EXPECT_EQ(" " + text + " ", input.rows[i].substr(static_cast<size_t>(left), static_cast<size_t>(width)));
        EXPECT_EQ(std::string(static_cast<size_t>(width), '\x4F'),
                  input.rowAttributes[i].substr(static_cast<size_t>(left), static_cast<size_t>(width)));
    }
    EXPECT_EQ(before, Snapshot(screen));  // nothing left behind
    // Every attempt sent the same call.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(BtrieveFile::kOpGetFirst, engine.Call(i).operation);
        EXPECT_EQ(static_cast<uint32_t>(kFakeRecordLength), engine.Call(i).dataLengthIn);
    }
}

TEST_F(LockWaitTest, AnyKeyButCtrlZRetriesAtOnce) {
    const int keys[] = {'x', kKeyEnter, kKeyEsc, kKeyF1};
    for (int k : keys) {
        SCOPED_TRACE(k);
        engine.reset();
        input.rows.clear();
        input.PushKey(k);
        engine.setLocked(1, kStatusRecordLocked);
        EXPECT_EQ(0, file.getEqual(key, record, 0));
        EXPECT_EQ(2, engine.Calls());
        EXPECT_EQ(1u, input.rows.size());  // the first poll had the key
        EXPECT_EQ(before, Snapshot(screen));
    }
}

TEST_F(LockWaitTest, CtrlZGivesUpWithTheLockedStatus) {
    const int statuses[] = {kStatusRecordLocked, kStatusFileLocked};
    for (int status : statuses) {
        SCOPED_TRACE(status);
        engine.reset();
        input.rows.clear();
        input.PushTimeout();  // a poll without a key first
        input.PushKey(kKeyCtrlZ);
        engine.setLocked(5, status);
        EXPECT_EQ(status, file.getNext(key, record, 0));
        EXPECT_EQ(status, file.status());
        EXPECT_EQ(1, engine.Calls());
        ASSERT_EQ(2u, input.rows.size());
        EXPECT_NE(std::string::npos, input.rows[0].find("/data/cust.dat(" + std::to_string(status) + ")"));
        EXPECT_EQ(before, Snapshot(screen));
    }
}

TEST_F(LockWaitTest, LockBiases) {
    struct Case {
        int bias;
        int sent;     // operation code the engine sees for Get Equal (5)
        bool waits;
    };
    const Case cases[] = {
        {200, 205, false},
        {400, 405, false},
        {100, 205, true},
        {300, 405, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bias);
        engine.reset();
        input.rows.clear();
        engine.setLocked(1, kStatusRecordLocked);
        int status = file.getEqual(key, record, 0, c.bias);
        EXPECT_EQ(c.sent, engine.Call(0).operation);
        if (c.waits) {
            EXPECT_EQ(0, status);
            EXPECT_EQ(2, engine.Calls());
            EXPECT_EQ(c.sent, engine.Call(1).operation);
            EXPECT_EQ(static_cast<size_t>(kLockWaitPolls), input.rows.size());
        } else {
            EXPECT_EQ(kStatusRecordLocked, status);
            EXPECT_EQ(1, engine.Calls());
            EXPECT_TRUE(input.rows.empty());
        }
    }
}

TEST_F(LockWaitTest, TheFileLockIsFreeWhileWaiting) {
    RecursiveLock lock;
    ASSERT_EQ(0, lock.Lock(-1));
    std::vector<int> heldDuringWait;
    input.onRead = [&] { heldDuringWait.push_back(lock.HeldByCaller()); };
    engine.setLocked(1, kStatusFileLocked);
    uint16_t length = 10;
    EXPECT_EQ(0, CallWithLockWait(lock, BtrieveFile::kOpGetFirst, record, record, &length, key, 0, "f.dat"));
    ASSERT_EQ(static_cast<size_t>(kLockWaitPolls), heldDuringWait.size());
    for (int held : heldDuringWait) EXPECT_EQ(0, held);
    EXPECT_EQ(1, lock.HeldByCaller());
    lock.Unlock();
}
