#include "ui/Input.h"

#include "platform/Console.h"

namespace {

// Unshifted characters of the PC keyboard's scan codes 0..78 (standard US
// layout, the keypad without Num Lock); 0 where a key types nothing.
constexpr char kScanKeys[] = {
    0,   27,  '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '-',  '=', 8,   9,    // 0 .. 15
    'q', 'w', 'e', 'r', 't', 'y', 'u', 'i', 'o', 'p', '[', ']', 13,   0,   'a', 's',  // 16 .. 31
    'd', 'f', 'g', 'h', 'j', 'k', 'l', ';', '\'', '`', 0,   '\\', 'z', 'x', 'c', 'v', // 32 .. 47
    'b', 'n', 'm', ',', '.', '/', 0,   '*', 0,   ' ', 0,   0,    0,   0,   0,   0,    // 48 .. 63: F1 from 59
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   '-', 0,   0,    0,   '+',       // 64 .. 78: keypad from 71
};
constexpr int kScanKeyCount = static_cast<int>(sizeof kScanKeys);

}  // namespace

int ScanCodeCharacter(int scanCode) {
    if (scanCode < 0 || scanCode >= kScanKeyCount) return 0;
    return static_cast<unsigned char>(kScanKeys[scanCode]);
}

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
    return event.type == kEventKey && event.key == 27;
}

int KeyLetter(const InputEvent& event) {
    if (event.type != kEventKey || event.key <= 1000) return event.key;
    int ch = ScanCodeCharacter(event.key - 1000);
    return ch != 0 ? ch : event.key;
}
