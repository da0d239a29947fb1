#pragma once
// RecursiveLock: a recursive mutex that knows its owning thread and how many
// times that thread holds it.
//
// Lock(timeoutMs) waits at most timeoutMs milliseconds (negative: without
// limit, 0: just a try) and answers 0 on success, kLockTimeout when the time
// passed. On success the calling thread is the owner and the hold count grows
// by one. Unlock() releases one hold, and only when called by the owner; any
// other caller gets kLockNotOwner and nothing changes. Destruction releases
// every hold of the destroying thread.
// Requires: no other thread holds the lock when it is destroyed.

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

class RecursiveLock {
public:
    static constexpr int kLockTimeout = 1460;  // the wait ended before the lock was free
    static constexpr int kLockNotOwner = EPERM;  // Unlock() by a thread that holds nothing

    RecursiveLock() = default;
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;
    ~RecursiveLock();

    int Lock(int timeoutMs);
    int Unlock();

    // How often the calling thread holds the lock (0 when another thread or nobody does).
    int HeldByCaller() const;

private:
    std::recursive_timed_mutex mutex;
    std::atomic<std::thread::id> owner{};
    int holds = 0;  // written only by the owner while it holds the mutex
};
