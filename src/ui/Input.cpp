#include "ui/Input.h"

#include "platform/Console.h"

namespace {

// Unshifted and shifted characters of the PC keyboard's scan codes 0..57
// (standard US layout); 0 where a key types nothing.
struct ScanKey {
    char normal;
    char shifted;
};

constexpr ScanKey kScanKeys[58] = {
    {0, 0},       {27, 27},     {'1', '!'},   {'2', '@'},  {'3', '#'},  {'4', '$'},  {'5', '%'},  {'6', '^'},
    {'7', '&'},   {'8', '*'},   {'9', '('},   {'0', ')'},  {'-', '_'},  {'=', '+'},  {8, 8},      {9, 9},
    {'q', 'Q'},   {'w', 'W'},   {'e', 'E'},   {'r', 'R'},  {'t', 'T'},  {'y', 'Y'},  {'u', 'U'},  {'i', 'I'},
    {'o', 'O'},   {'p', 'P'},   {'[', '{'},   {']', '}'},  {13, 13},    {0, 0},      {'a', 'A'},  {'s', 'S'},
    {'d', 'D'},   {'f', 'F'},   {'g', 'G'},   {'h', 'H'},  {'j', 'J'},  {'k', 'K'},  {'l', 'L'},  {';', ':'},
    {'\'', '"'},  {'`', '~'},   {0, 0},       {'\\', '|'}, {'z', 'Z'},  {'x', 'X'},  {'c', 'C'},  {'v', 'V'},
    {'b', 'B'},   {'n', 'N'},   {'m', 'M'},   {',', '<'},  {'.', '>'},  {'/', '?'},  {0, 0},      {'*', '*'},
    {0, 0},       {' ', ' '},
};

}  // namespace

int ScanCodeCharacter(int scanCode) {
    if (scanCode < 0 || scanCode >= 58) return 0;
    return static_cast<unsigned char>(kScanKeys[scanCode].normal);
}

int CharacterScanCode(int ch, bool& shifted) {
    shifted = false;
    if (ch <= 0) return 0;
    for (int s = 1; s < 58; ++s) {
        if (static_cast<unsigned char>(kScanKeys[s].normal) == ch) return s;
    }
    for (int s = 1; s < 58; ++s) {
        if (static_cast<unsigned char>(kScanKeys[s].shifted) == ch) {
            shifted = true;
            return s;
        }
    }
    return 0;
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
