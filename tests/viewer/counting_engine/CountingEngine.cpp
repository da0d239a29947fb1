// A counting wrapper around the real engine library, for the tests that
// measure how many engine calls a screen costs: it exports BTRCALL, counts
// every call by operation (lock biases removed) and hands it on unchanged to
// the real engine, loaded once from QDX_REAL_ENGINE_PATH. Files opened
// before the wrapper was put in place keep working: the real library is the
// one the binding had loaded already, so its open handles are shared.
//
// It can also stand in for an engine fault: one call of a chosen operation,
// a given number of its calls from now, is answered with a chosen status
// without reaching the real engine (so the position stays where it was).

#include <dlfcn.h>

#include <atomic>
#include <cstdint>

#include "engine/Contract.h"

namespace {

constexpr int kOperations = 100;
std::atomic<long long> calls[kOperations];

// The fault to give: operation -1 when none is set.
std::atomic<int> faultOperation{-1};
std::atomic<long long> faultAfter{0};
std::atomic<int> faultStatus{0};

// True when this call of operation is the one to fail.
bool FaultNow(int operation) {
    if (faultOperation.load() != operation) return false;
    if (faultAfter.fetch_sub(1) != 0) return false;
    faultOperation.store(-1);
    return true;
}

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
    calls[operation % kOperations].fetch_add(1);
    if (FaultNow(operation % kOperations)) return static_cast<int16_t>(faultStatus.load());
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
    faultOperation.store(-1);
}

// The call of operation (0 to 99, lock biases removed) after the next
// `after` ones answers status, once.
__attribute__((visibility("default"))) void CountingEngineFailAfter(int operation, long long after, int status) {
    faultStatus.store(status);
    faultAfter.store(after);
    faultOperation.store(operation);
}

}  // extern "C"
