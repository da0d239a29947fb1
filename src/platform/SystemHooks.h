#pragma once
// The operating-system facts the console layer reads: the environment and a
// monotonic clock. They sit behind these functions so that tests can replace
// them (SetEnvironmentLookup / SetClock; nullptr restores the real ones).

#include <cstdint>

using EnvironmentLookup = const char* (*)(const char* name);
using ClockFunction = int64_t (*)();

// The variable's value, nullptr when it is not set.
const char* GetEnvironment(const char* name);
void SetEnvironmentLookup(EnvironmentLookup lookup);

// Milliseconds of a monotonic clock.
int64_t NowMs();
void SetClock(ClockFunction clock);

// Settings of the terminal console, read from the environment:
// the Esc delay in ms (ESCDELAY, default 50, limited to 0..5000);
int EscapeDelayMs();
// mouse reporting, off when QDX_MOUSE is "0";
bool MouseEnabled();
// colours, off when NO_COLOR is set to a non-empty value.
bool ColourWanted();
