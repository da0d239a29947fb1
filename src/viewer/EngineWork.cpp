#include "viewer/EngineWork.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "btrieve/LockWait.h"
#include "platform/Console.h"
#include "platform/InputEvent.h"

namespace {

constexpr int kPollMs = 50;

// Stands in for the installed prompt while the helper runs: the helper's
// wait is handed to this thread, which shows the real prompt.
class RelayedPrompt : public LockWaitPrompt {
public:
    bool Wait(const Estring& fileName, int status) override {
        std::unique_lock<std::mutex> hold(mutex);
        pendingName = fileName;
        pendingStatus = status;
        waiting = true;
        changed.notify_all();
        changed.wait(hold, [this] { return !waiting; });
        return answer;
    }

    // On the main thread: answers a waiting helper through prompt (none:
    // the wait passes unseen). True when there was one.
    bool Serve(LockWaitPrompt* prompt) {
        Estring name;
        int status = 0;
        {
            std::lock_guard<std::mutex> hold(mutex);
            if (!waiting) return false;
            name = pendingName;
            status = pendingStatus;
        }
        bool givenUp = false;
        if (prompt != nullptr) {
            givenUp = prompt->Wait(name, status);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(kLockWaitPolls * kLockWaitPollMs));
        }
        std::lock_guard<std::mutex> hold(mutex);
        answer = givenUp;
        waiting = false;
        changed.notify_all();
        return true;
    }

    std::mutex mutex;
    std::condition_variable changed;

private:
    Estring pendingName;
    int pendingStatus = 0;
    bool waiting = false;
    bool answer = false;
};

// Puts the former prompt back however the wait ends.
class PromptSwap {
public:
    explicit PromptSwap(LockWaitPrompt* replacement) : former(InstalledLockWaitPrompt()) {
        InstallLockWaitPrompt(replacement);
    }
    ~PromptSwap() { InstallLockWaitPrompt(former); }
    PromptSwap(const PromptSwap&) = delete;
    PromptSwap& operator=(const PromptSwap&) = delete;
    LockWaitPrompt* Former() const { return former; }

private:
    LockWaitPrompt* former;
};

}  // namespace

int RunEngineWork(const std::function<int()>& work, Console& console, int quietMs) {
    RelayedPrompt relay;
    PromptSwap swap(&relay);
    int result = 0;
    bool done = false;
    std::thread helper([&] {
        const int answer = work();
        std::lock_guard<std::mutex> hold(relay.mutex);
        result = answer;
        done = true;
        relay.changed.notify_all();
    });
    // The screen the user waits on is shown before the call can take long.
    console.Screen().Flush();
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(relay.mutex);
            relay.changed.wait_for(hold, std::chrono::milliseconds(kPollMs));
            if (done) break;
        }
        if (relay.Serve(swap.Former())) continue;
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited < std::chrono::milliseconds(quietMs)) continue;
        // Flushes, takes in a resize (the display follows it as it is read); keys are dropped.
        InputEvent event{};
        console.Read(event, 0);
    }
    helper.join();
    return result;
}
