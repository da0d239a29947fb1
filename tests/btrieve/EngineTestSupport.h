#pragma once
// Helpers shared by the binding's tests: choosing the engine library the
// binding loads, and reaching the stand-in engine's control functions.

#include "btrieve/EngineBinding.h"
#include "fake_engine/FakeEngine.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>

// Points the binding at library (through QDX_ENGINE_LIBRARY) and makes the
// next call load it; the variable's former value comes back on destruction.
class EngineLibraryChoice {
public:
    explicit EngineLibraryChoice(const std::string& library) {
        const char* old = std::getenv(kEngineLibraryVariable);
        hadOld = old != nullptr;
        if (hadOld) oldValue = old;
        setenv(kEngineLibraryVariable, library.c_str(), 1);
        ResetEngineBinding();
    }
    ~EngineLibraryChoice() {
        ResetEngineBinding();
        if (hadOld) {
            setenv(kEngineLibraryVariable, oldValue.c_str(), 1);
        } else {
            unsetenv(kEngineLibraryVariable);
        }
    }
    EngineLibraryChoice(const EngineLibraryChoice&) = delete;
    EngineLibraryChoice& operator=(const EngineLibraryChoice&) = delete;

private:
    bool hadOld = false;
    std::string oldValue;
};

// The stand-in engine as the binding loads it (the same instance: dlopen of
// the same file answers the library already loaded).
class FakeEngine {
public:
    FakeEngine() : choice(QDX_FAKE_ENGINE_PATH) {
        handle = dlopen(QDX_FAKE_ENGINE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return;
        reset = reinterpret_cast<FakeEngineResetFunction>(dlsym(handle, "FakeEngineReset"));
        setLocked = reinterpret_cast<FakeEngineSetLockedFunction>(dlsym(handle, "FakeEngineSetLocked"));
        setStat = reinterpret_cast<FakeEngineSetStatFunction>(dlsym(handle, "FakeEngineSetStat"));
        setStatVersion =
            reinterpret_cast<FakeEngineSetStatVersionFunction>(dlsym(handle, "FakeEngineSetStatVersion"));
        setReplyLength = reinterpret_cast<FakeEngineSetReplyLengthFunction>(dlsym(handle, "FakeEngineSetReplyLength"));
        callCount = reinterpret_cast<FakeEngineCallCountFunction>(dlsym(handle, "FakeEngineCallCount"));
        callAt = reinterpret_cast<FakeEngineCallAtFunction>(dlsym(handle, "FakeEngineCallAt"));
        if (reset != nullptr) reset();
    }
    ~FakeEngine() {
        if (handle != nullptr) dlclose(handle);
    }
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;

    bool Ready() const {
        return handle != nullptr && reset && setLocked && setStat && setStatVersion && setReplyLength && callCount && callAt;
    }
    int Calls() const { return callCount(); }
    const FakeCall& Call(int i) const { return *callAt(i); }
    const FakeCall& LastCall() const { return *callAt(callCount() - 1); }

    FakeEngineResetFunction reset = nullptr;
    FakeEngineSetLockedFunction setLocked = nullptr;
    FakeEngineSetStatFunction setStat = nullptr;
    FakeEngineSetStatVersionFunction setStatVersion = nullptr;
    FakeEngineSetReplyLengthFunction setReplyLength = nullptr;

private:
    EngineLibraryChoice choice;
    void* handle = nullptr;
    FakeEngineCallCountFunction callCount = nullptr;
    FakeEngineCallAtFunction callAt = nullptr;
};

// Where the real engine library is: QDX_BIN_DIR (set by ctest), else the build's own.
inline std::string RealEnginePath() {
    const char* bin = std::getenv("QDX_BIN_DIR");
    if (bin != nullptr && *bin != '\0') return std::string(bin) + "/" + kEngineLibraryName;
    return QDX_REAL_ENGINE_PATH;
}

// True when the real engine library exists and exports BTRCALL.
inline bool RealEngineAvailable() {
    void* handle = dlopen(RealEnginePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return false;
    bool found = dlsym(handle, "BTRCALL") != nullptr;
    dlclose(handle);
    return found;
}
