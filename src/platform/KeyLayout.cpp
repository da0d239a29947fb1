#include "platform/KeyLayout.h"

namespace {

struct ScanKey {
    char plain;
    char shifted;
};

// Scan codes 0..78; 0 where a key types nothing (F1 starts at 59, the keypad at 71).
constexpr ScanKey kScanKeys[] = {
    {0, 0},      {27, 27},    {'1', '!'},  {'2', '@'},  {'3', '#'},  {'4', '$'},   {'5', '%'},  {'6', '^'},   // 0 .. 7
    {'7', '&'},  {'8', '*'},  {'9', '('},  {'0', ')'},  {'-', '_'},  {'=', '+'},   {8, 8},      {9, 9},       // 8 .. 15
    {'q', 'Q'},  {'w', 'W'},  {'e', 'E'},  {'r', 'R'},  {'t', 'T'},  {'y', 'Y'},   {'u', 'U'},  {'i', 'I'},   // 16 .. 23
    {'o', 'O'},  {'p', 'P'},  {'[', '{'},  {']', '}'},  {13, 13},    {0, 0},       {'a', 'A'},  {'s', 'S'},   // 24 .. 31
    {'d', 'D'},  {'f', 'F'},  {'g', 'G'},  {'h', 'H'},  {'j', 'J'},  {'k', 'K'},   {'l', 'L'},  {';', ':'},   // 32 .. 39
    {'\'', '"'}, {'`', '~'},  {0, 0},      {'\\', '|'}, {'z', 'Z'},  {'x', 'X'},   {'c', 'C'},  {'v', 'V'},   // 40 .. 47
    {'b', 'B'},  {'n', 'N'},  {'m', 'M'},  {',', '<'},  {'.', '>'},  {'/', '?'},   {0, 0},      {'*', 0},     // 48 .. 55
    {0, 0},      {' ', ' '},  {0, 0},      {0, 0},      {0, 0},      {0, 0},       {0, 0},      {0, 0},       // 56 .. 63
    {0, 0},      {0, 0},      {0, 0},      {0, 0},      {0, 0},      {0, 0},       {0, 0},      {0, 0},       // 64 .. 71
    {0, 0},      {0, 0},      {'-', 0},    {0, 0},      {0, 0},      {0, 0},       {'+', 0},                  // 72 .. 78
};
constexpr int kScanKeyCount = static_cast<int>(sizeof kScanKeys / sizeof kScanKeys[0]);

}  // namespace

int ScanCodeCharacter(int scanCode) {
    if (scanCode < 0 || scanCode >= kScanKeyCount) return 0;
    return static_cast<unsigned char>(kScanKeys[scanCode].plain);
}

bool CharacterScanCode(int ch, int& scanCode, bool& shifted) {
    if (ch < 0x20 || ch > 0x7E) return false;
    // Lowest scan code first, so the main keyboard wins over the keypad.
    for (int scan = 0; scan < kScanKeyCount; ++scan) {
        if (kScanKeys[scan].plain == ch) {
            scanCode = scan;
            shifted = false;
            return true;
        }
        if (kScanKeys[scan].shifted == ch) {
            scanCode = scan;
            shifted = true;
            return true;
        }
    }
    return false;
}
