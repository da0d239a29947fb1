#include "platform/Console.h"

#include <algorithm>
#include <cassert>

#include "platform/KeyCodes.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"

namespace {

// The defaults live as long as the process; they are never destroyed so that
// windows destroyed during static destruction still find a display.
MemoryDisplay& DefaultDisplay() {
    static MemoryDisplay* display = new MemoryDisplay(80, 25);
    return *display;
}

ScriptedInput& DefaultInput() {
    static ScriptedInput* input = new ScriptedInput();
    return *input;
}

}  // namespace

Console::Console(Display& displayArg, InputSource& inputArg) : display(&displayArg), input(&inputArg) {}

void Console::Install(Display& displayArg, InputSource& inputArg) {
    cursorShape = -1;
    held.clear();  // events read ahead from the input being replaced
    display = &displayArg;
    input = &inputArg;
}

void Console::SetCursorShape(int size) {
    if (size == cursorShape) return;
    display->SetCursorShape(size);
    cursorShape = size;
}

void Console::GetScreenSize(int& width, int& height) const {
    width = display->Width();
    height = display->Height();
}

void Console::Resize(int width, int height) { display->Resize(width, height); }

void Console::Read(InputEvent& event, int timeoutMs) {
    display->Flush();
    if (!held.empty()) {
        event = held.front();
        held.pop_front();
    } else {
        input->Read(event, timeoutMs);
    }
    if (event.type == kEventResize) Resize(event.x, event.y);
}

bool Console::Pending() { return !held.empty() || input->Pending(); }

int Console::HoldWaiting() {
    while (input->Pending()) {
        InputEvent event{};
        input->Read(event, 0);
        if (event.type == kEventNone) break;  // a sequence begun but not complete: looked at next time
        held.push_back(event);
    }
    return static_cast<int>(held.size());
}

bool Console::TakeWaitingEscape(int from) {
    const int length = HoldWaiting();
    for (auto it = held.begin() + std::clamp(from, 0, length); it != held.end(); ++it) {
        if (it->type == kEventKey && it->key == kKeyEsc) {
            held.erase(it);
            return true;
        }
    }
    return false;
}

void Console::OpenWindow(const void* window) { windows.push_back(window); }

bool Console::CloseWindow(const void* window) {
    if (!windows.empty() && windows.back() == window) {
        windows.pop_back();
        return true;
    }
    ++orderFaults;
    auto at = std::find(windows.rbegin(), windows.rend(), window);
    if (at != windows.rend()) windows.erase(std::next(at).base());
#ifndef NDEBUG
    assert(!"windows must close in the reverse order of their opening");
#endif
    return false;
}

Console& ProcessConsole() {
    static Console* console = new Console(DefaultDisplay(), DefaultInput());
    return *console;
}

void InstallConsole(Display* display, InputSource* input) {
    Console& console = ProcessConsole();
    console.Install(display != nullptr ? *display : DefaultDisplay(), input != nullptr ? *input : DefaultInput());
}

ScopedConsole::ScopedConsole(Display& display, InputSource& input)
    : previousDisplay(ProcessConsole().Screen()), previousInput(ProcessConsole().Input()) {
    ProcessConsole().Install(display, input);
}

ScopedConsole::~ScopedConsole() { ProcessConsole().Install(previousDisplay, previousInput); }
