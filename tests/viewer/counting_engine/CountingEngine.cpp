// A counting wrapper around the real engine library, for the tests that
// measure how many engine calls a screen costs: it exports BTRCALL, counts
// every call by operation (lock biases removed) and hands it on unchanged to
// the real engine, loaded once from QDX_REAL_ENGINE_PATH; one call can be
// made to fail instead, for the tests of what a failing read leaves behind.
// Files opened
// before the wrapper was put in place keep working: the real library is the
// one the binding had loaded already, so its open handles are shared.

#include <dlfcn.h>

#include <atomic>
#include <cstdint>

#include "engine/Contract.h"

namespace {

constexpr int kOperations = 100;
std::atomic<long long> calls[kOperations];
// The planted failure: the call of failOperation that finds failCountdown at
// 0 returns failStatus without reaching the engine; -1: none planted.
std::atomic<int> failOperation{-1};
std::atomic<long long> failCountdown{0};
std::atomic<int> failStatus{0};

BtrcallFunction RealEngine() {
    static BtrcallFunction real = [] {
        void* handle = dlopen(QDX_REAL_ENGINE_PATH, RTLD_NOW | RTLD_LOCAL);
        return handle == nullptr ? nullptr
                                 : reinterpret_cast<BtrcallFunction>(dlsym(handle, qdx::wire::kEntryPointName));
    }();
    return real;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int16_t BTRCALL(uint16_t operation, void* positionBlock, void* dataBuffer,
                                                       uint32_t* dataLength, void* keyBuffer, uint8_t keyLength,
                                                       int8_t keyNumber) {
    const int op = operation % kOperations;
    calls[op].fetch_add(1);
    if (op == failOperation.load() && failCountdown.fetch_sub(1) == 0) {
        failOperation.store(-1);
        return static_cast<int16_t>(failStatus.load());
    }
    BtrcallFunction real = RealEngine();
    if (real == nullptr) return qdx::wire::kEngineInactive;
    return real(operation, positionBlock, dataBuffer, dataLength, keyBuffer, keyLength, keyNumber);
}

// Calls of one operation (0 to 99) since the last reset; -1: every call.
__attribute__((visibility("default"))) long long CountingEngineCalls(int operation) {
    if (operation >= 0) return operation < kOperations ? calls[operation].load() : 0;
    long long all = 0;
    for (const auto& count : calls) all += count.load();
    return all;
}

__attribute__((visibility("default"))) void CountingEngineReset() {
    for (auto& count : calls) count.store(0);
}

// The next `passed` calls of operation (lock biases removed) reach the
// engine; the one after returns status instead, once. A negative operation
// takes back a failure not yet reached.
__attribute__((visibility("default"))) void CountingEngineFailAfter(int operation, long long passed, int status) {
    failOperation.store(-1);
    failCountdown.store(passed);
    failStatus.store(status);
    failOperation.store(operation);
}

}  // extern "C"
