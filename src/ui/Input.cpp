#include "ui/Input.h"

#include "platform/Console.h"
#include "platform/KeyCodes.h"

void ReadInput(Console& console, InputEvent& event, int timeoutMs) { console.Read(event, timeoutMs); }

void ReadInput(InputEvent& event, int timeoutMs) { ReadInput(ProcessConsole(), event, timeoutMs); }

void WaitInput(Console& console, InputEvent& event) { ReadInput(console, event, -1); }

void WaitInput(InputEvent& event) { ReadInput(event, -1); }

bool InputPending() { return ProcessConsole().Pending(); }

bool EscapePressed(Console& console) {
    // Long operations call this between steps: show their progress too.
    console.Screen().Flush();
    if (!console.Pending()) return false;
    InputEvent event{};
    console.Read(event, 0);  // a resize has resized the display
    return event.type == kEventKey && event.key == kKeyEsc;
}

bool EscapePressed() { return EscapePressed(ProcessConsole()); }

bool EscapeWaiting(Console& console, int from) {
    console.Screen().Flush();
    return console.TakeWaitingEscape(from);
}

bool EscapeWaiting(int from) { return EscapeWaiting(ProcessConsole(), from); }

int HoldWaitingInput() { return ProcessConsole().HoldWaiting(); }

int KeyLetter(const InputEvent& event) {
    if (event.type != kEventKey || event.key <= kKeyExtendedBase) return event.key;
    int ch = ScanCodeCharacter(event.key - kKeyExtendedBase);
    return ch != 0 ? ch : event.key;
}
