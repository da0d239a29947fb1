#include "platform/Console.h"

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

Display* installedDisplay = nullptr;
InputSource* installedInput = nullptr;
int cursorShape = -1;

}  // namespace

Display& ConsoleDisplay() { return installedDisplay != nullptr ? *installedDisplay : DefaultDisplay(); }

InputSource& ConsoleInput() { return installedInput != nullptr ? *installedInput : DefaultInput(); }

void InstallConsole(Display* display, InputSource* input) {
    installedDisplay = display;
    installedInput = input;
    cursorShape = -1;
}

void SetCursorShape(int size) {
    if (size == cursorShape) return;
    ConsoleDisplay().SetCursorShape(size);
    cursorShape = size;
}

int CursorShape() { return cursorShape; }

void GetScreenSize(int& width, int& height) {
    width = ConsoleDisplay().Width();
    height = ConsoleDisplay().Height();
}
