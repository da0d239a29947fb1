#include "ui/Input.h"

#include "platform/Console.h"
#include "platform/KeyCodes.h"

void ReadInput(InputEvent& event, int timeoutMs) {
    ConsoleDisplay().Flush();
    ConsoleInput().Read(event, timeoutMs);
}

void WaitInput(InputEvent& event) { ReadInput(event, -1); }

bool InputPending() { return ConsoleInput().Pending(); }

bool EscapePressed() {
    // Long operations call this between steps: show their progress too.
    ConsoleDisplay().Flush();
    if (!ConsoleInput().Pending()) return false;
    InputEvent event{};
    ConsoleInput().Read(event, 0);
    return event.type == kEventKey && event.key == kKeyEsc;
}

int KeyLetter(const InputEvent& event) {
    if (event.type != kEventKey || event.key <= kKeyExtendedBase) return event.key;
    int ch = ScanCodeCharacter(event.key - kKeyExtendedBase);
    return ch != 0 ? ch : event.key;
}
