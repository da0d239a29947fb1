#pragma once
// The counting wrapper of counting_engine/ in place of the engine library,
// for tests that count the engine calls a screen costs or that need the
// engine to answer one call with a fault.

#include <dlfcn.h>

#include <cstdlib>

#include "ViewerTestSupport.h"
#include "btrieve/EngineBinding.h"

namespace viewertest {

// Puts the counting wrapper in place of the engine for its lifetime. Files
// opened before keep working: the wrapper calls the same loaded engine.
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
        if (reset != nullptr) reset();  // no fault left set for whoever loads the wrapper next
        UseRealEngine();
        ResetEngineBinding();
        if (handle != nullptr) dlclose(handle);
    }
    CountingEngine(const CountingEngine&) = delete;
    CountingEngine& operator=(const CountingEngine&) = delete;

    bool Ready() const { return calls != nullptr && reset != nullptr && failAfter != nullptr; }
    void Reset() { reset(); }
    long long Calls(int operation) const { return calls(operation); }
    // The call of operation after the next `after` ones answers status, once.
    void FailAfter(int operation, long long after, int status) { failAfter(operation, after, status); }

private:
    void* handle = nullptr;
    long long (*calls)(int) = nullptr;
    void (*reset)() = nullptr;
    void (*failAfter)(int, long long, int) = nullptr;
};

}  // namespace viewertest
