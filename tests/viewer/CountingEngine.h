#pragma once
// The counting wrapper (counting_engine/) in place of the engine for the
// life of the object: the tests read how many calls of an operation reached
// the engine, and can make one call fail. Files opened before keep working:
// the wrapper calls the same loaded engine.

#include <dlfcn.h>

#include <cstdlib>

#include "ViewerTestSupport.h"
#include "btrieve/EngineBinding.h"

namespace viewertest {

class CountingEngine {
public:
    CountingEngine() {
        setenv(kEngineLibraryVariable, QDX_COUNTING_ENGINE_PATH, 1);
        ResetEngineBinding();
        handle = dlopen(QDX_COUNTING_ENGINE_PATH, RTLD_NOW);
        if (handle != nullptr) {
            calls = reinterpret_cast<long long (*)(int)>(dlsym(handle, "CountingEngineCalls"));
            reset = reinterpret_cast<void (*)()>(dlsym(handle, "CountingEngineReset"));
            failAfter = reinterpret_cast<void (*)(int, long long, int)>(dlsym(handle, "CountingEngineFailAfter"));
        }
    }
    ~CountingEngine() {
        if (failAfter != nullptr) failAfter(-1, 0, 0);
        UseRealEngine();
        ResetEngineBinding();
        if (handle != nullptr) dlclose(handle);
    }
    CountingEngine(const CountingEngine&) = delete;
    CountingEngine& operator=(const CountingEngine&) = delete;

    bool Ready() const { return calls != nullptr && reset != nullptr && failAfter != nullptr; }
    void Reset() { reset(); }
    long long Calls(int operation) const { return calls(operation); }
    // The next `passed` calls of operation go through; the one after returns status, once.
    void FailAfter(int operation, long long passed, int status) { failAfter(operation, passed, status); }

private:
    void* handle = nullptr;
    long long (*calls)(int) = nullptr;
    void (*reset)() = nullptr;
    void (*failAfter)(int, long long, int) = nullptr;
};

}  // namespace viewertest
