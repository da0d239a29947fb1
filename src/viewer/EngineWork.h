#pragma once
// One long engine call (creating an index over a big file) made on a helper
// thread while this thread keeps the terminal: the screen is flushed, a
// resize of the terminal is taken in (the display follows it and the next
// flush repaints), and a lock wait the call meets is shown by the installed
// prompt here, on this thread, never on the helper's. Keys typed while the
// call runs are dropped: nothing on screen could take them.
//
// Requires: nothing else calls the engine while the work runs (every window
// is modal, so nothing does); the work touches no window.

#include <functional>

class Console;

// Runs work and returns its answer. The first quietMs milliseconds pass
// without reading input, so that a short call leaves typed-ahead keys alone.
int RunEngineWork(const std::function<int()>& work, Console& console, int quietMs = 250);
