#include "btrieve/EngineBinding.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

// The binding's process-wide state: the loaded library and its entry.
struct Binding {
    std::mutex loading;
    void* library = nullptr;
    std::atomic<BtrcallFunction> entry{nullptr};
    std::string failure;  // why the last load found nothing; empty after a success
};

Binding& TheBinding() {
    static Binding binding;
    return binding;
}

std::string ExecutableDirectory() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    std::string full(path, static_cast<size_t>(n));
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

// Opens the first candidate library that loads and exports BTRCALL; notes in
// failure what each candidate tried answered.
BtrcallFunction TryLoad(void*& library, std::string& failure) {
    failure.clear();
    auto attempt = [&library, &failure](const std::string& name) -> BtrcallFunction {
        void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* reason = dlerror();
            failure += (failure.empty() ? "" : "; ") + std::string(reason != nullptr ? reason : name + ": not loaded");
            return nullptr;
        }
        void* symbol = dlsym(handle, qdx::wire::kEntryPointName);
        if (symbol == nullptr) {
            failure += (failure.empty() ? "" : "; ") + name + ": no " + qdx::wire::kEntryPointName + " in it";
            dlclose(handle);
            return nullptr;
        }
        library = handle;
        failure.clear();
        return reinterpret_cast<BtrcallFunction>(symbol);
    };
    const char* named = std::getenv(kEngineLibraryVariable);
    if (named != nullptr && *named != '\0') return attempt(named);
    std::string beside = ExecutableDirectory();
    if (!beside.empty()) {
        if (BtrcallFunction entry = attempt(beside + "/" + kEngineLibraryName)) return entry;
    }
    return attempt(kEngineLibraryName);
}

BtrcallFunction Entry() {
    Binding& binding = TheBinding();
    BtrcallFunction entry = binding.entry.load(std::memory_order_acquire);
    if (entry != nullptr) return entry;
    std::lock_guard<std::mutex> guard(binding.loading);
    entry = binding.entry.load(std::memory_order_acquire);
    if (entry == nullptr) {
        entry = TryLoad(binding.library, binding.failure);
        binding.entry.store(entry, std::memory_order_release);
    }
    return entry;
}

}  // namespace

int CallEngine(int operation, void* positionBlock, void* dataBuffer, uint16_t* dataLength, void* keyBuffer,
               int keyNumber) {
    BtrcallFunction entry = Entry();
    if (entry == nullptr) return kStatusEngineInactive;
    uint32_t wideLength = dataLength != nullptr ? *dataLength : 0;
    int16_t status = entry(static_cast<uint16_t>(operation), positionBlock, dataBuffer, &wideLength, keyBuffer,
                           static_cast<uint8_t>(kKeyLength), static_cast<int8_t>(keyNumber));
    if (dataLength != nullptr) *dataLength = static_cast<uint16_t>(wideLength & 0xFFFF);
    return static_cast<uint16_t>(status);
}

std::string EngineLoadFailure() {
    Binding& binding = TheBinding();
    std::lock_guard<std::mutex> guard(binding.loading);
    if (binding.entry.load(std::memory_order_acquire) != nullptr) return std::string();
    return binding.failure;
}

bool EngineLoaded() { return TheBinding().entry.load(std::memory_order_acquire) != nullptr; }

void ResetEngineBinding() {
    Binding& binding = TheBinding();
    std::lock_guard<std::mutex> guard(binding.loading);
    binding.entry.store(nullptr, std::memory_order_release);
    binding.library = nullptr;  // deliberately not closed, see the header
    binding.failure.clear();
}
