// A counting wrapper around the real engine library, for the tests that
// measure how many engine calls a screen costs: it exports BTRCALL, counts
// every call by operation (lock biases removed) and hands it on unchanged to
// the real engine, loaded once from QDX_REAL_ENGINE_PATH. Files opened
// before the wrapper was put in place keep working: the real library is the
// one the binding had loaded already, so its open handles are shared.

#include <dlfcn.h>

#include <atomic>
#include <cstdint>

#include "engine/Contract.h"

namespace {

constexpr int kOperations = 100;
std::atomic<long long> calls[kOperations];

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

}  // extern "C"
