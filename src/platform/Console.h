#pragma once
// Console: the display the toolkit draws on, the input source it reads from,
// and the cursor shape, kept together. A window takes its console once, when
// it is made; the process-wide console (ProcessConsole()) is the default.
//
// The process-wide console is never empty: until something is installed it
// shows an 80x25 MemoryDisplay and reads an empty ScriptedInput. The program
// installs the terminal at start-up; tests install a memory screen and a
// script with a ScopedConsole for as long as they run:
//
//   MemoryDisplay screen(80, 25);
//   ScriptedInput keys;
//   ScopedConsole console(screen, keys);
//
// Installed objects are not owned; the installer keeps them alive until it
// installs something else. Installing forgets the remembered cursor shape (it
// is -1 again), so the next SetCursorShape always reaches the display.
//
// The console also keeps the stack of its open windows (opaque to it), so that
// a window closed out of order, which would restore stale cells, is noticed:
// counted always, and stopping the program in debug builds.

#include <deque>
#include <vector>

#include "platform/Display.h"
#include "platform/InputSource.h"

class Console {
public:
    Console(Display& display, InputSource& input);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    Display& Screen() const { return *display; }
    InputSource& Input() const { return *input; }
    // Points the console at other objects (both required).
    void Install(Display& display, InputSource& input);

    // Cursor shape: -1 (unknown) until set. Size 0 hides the cursor; size > 0
    // shows it that high in percent of a cell. Setting the shape it already
    // has makes no display call.
    void SetCursorShape(int size);
    int CursorShape() const { return cursorShape; }

    void GetScreenSize(int& width, int& height) const;

    // The display takes a new size (a resize event's); open windows keep
    // their rectangles, and what falls outside the new size is not shown.
    void Resize(int width, int height);

    // Flushes the display, then reads the next event (timeoutMs < 0 waits
    // without limit). A resize event resizes the display before it is
    // returned, so the caller lays out against the new size.
    void Read(InputEvent& event, int timeoutMs);
    // True when an event is waiting, in the console's own queue or at the input; consumes nothing.
    bool Pending();
    // Moves every waiting event of the input into the console's own queue,
    // which Read and Pending serve first; returns the queue's length.
    int HoldWaiting();
    // HoldWaiting, then takes the first Esc key at or after place from of the
    // queue out of it: true when there was one. The other events stay, in
    // order, so a long operation can watch for an Esc typed while it runs
    // without losing the keys typed ahead (those before from included).
    bool TakeWaitingEscape(int from = 0);

    // Window stack bookkeeping (see above). CloseWindow answers false when
    // window was not the newest open one.
    void OpenWindow(const void* window);
    bool CloseWindow(const void* window);
    int OpenWindows() const { return static_cast<int>(windows.size()); }
    int WindowOrderFaults() const { return orderFaults; }

private:
    Display* display;
    InputSource* input;
    int cursorShape = -1;
    std::deque<InputEvent> held;  // read ahead by TakeWaitingEscape, delivered before the input's
    std::vector<const void*> windows;
    int orderFaults = 0;
};

// The process-wide console.
Console& ProcessConsole();

// Installs display and input in the process-wide console; nullptr restores
// the default of that slot.
void InstallConsole(Display* display, InputSource* input);

// Installs a display and an input source in the process-wide console for the
// guard's lifetime, then puts back what was installed before.
class ScopedConsole {
public:
    ScopedConsole(Display& display, InputSource& input);
    ~ScopedConsole();
    ScopedConsole(const ScopedConsole&) = delete;
    ScopedConsole& operator=(const ScopedConsole&) = delete;

private:
    Display& previousDisplay;
    InputSource& previousInput;
};

// Shorthands for the process-wide console.
inline Display& ConsoleDisplay() { return ProcessConsole().Screen(); }
inline InputSource& ConsoleInput() { return ProcessConsole().Input(); }
inline void SetCursorShape(int size) { ProcessConsole().SetCursorShape(size); }
inline int CursorShape() { return ProcessConsole().CursorShape(); }
inline void GetScreenSize(int& width, int& height) { ProcessConsole().GetScreenSize(width, height); }
