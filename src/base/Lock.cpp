#include "base/Lock.h"

#include <chrono>

RecursiveLock::~RecursiveLock() {
    while (owner.load() == std::this_thread::get_id() && holds > 0) Unlock();
}

int RecursiveLock::Lock(int timeoutMs) {
    if (timeoutMs < 0) {
        mutex.lock();
    } else if (timeoutMs == 0) {
        if (!mutex.try_lock()) return kLockTimeout;
    } else if (!mutex.try_lock_for(std::chrono::milliseconds(timeoutMs))) {
        return kLockTimeout;
    }
    owner.store(std::this_thread::get_id());
    ++holds;
    return 0;
}

int RecursiveLock::Unlock() {
    if (owner.load() != std::this_thread::get_id() || holds < 1) return kLockNotOwner;
    if (--holds == 0) owner.store(std::thread::id());
    mutex.unlock();
    return 0;
}

int RecursiveLock::HeldByCaller() const {
    return owner.load() == std::this_thread::get_id() ? holds : 0;
}
