#include "platform/SystemHooks.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

const char* RealGetenv(const char* name) { return std::getenv(name); }

int64_t RealNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

EnvironmentLookup environmentLookup = RealGetenv;
ClockFunction clockFunction = RealNow;

constexpr int kDefaultEscapeDelayMs = 50;
constexpr int kMaxEscapeDelayMs = 5000;

}  // namespace

const char* GetEnvironment(const char* name) { return environmentLookup(name); }

void SetEnvironmentLookup(EnvironmentLookup lookup) { environmentLookup = lookup != nullptr ? lookup : RealGetenv; }

int64_t NowMs() { return clockFunction(); }

void SetClock(ClockFunction clock) { clockFunction = clock != nullptr ? clock : RealNow; }

int EscapeDelayMs() {
    const char* text = GetEnvironment("ESCDELAY");
    if (text == nullptr || *text == 0) return kDefaultEscapeDelayMs;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || value < 0) return kDefaultEscapeDelayMs;
    return value > kMaxEscapeDelayMs ? kMaxEscapeDelayMs : static_cast<int>(value);
}

bool MouseEnabled() {
    const char* text = GetEnvironment("QDX_MOUSE");
    return text == nullptr || std::strcmp(text, "0") != 0;
}

bool ColourWanted() {
    const char* text = GetEnvironment("NO_COLOR");
    return text == nullptr || *text == 0;
}
