#pragma once
// The PC keyboard's standard US layout: which character each scan code types,
// with and without Shift. It is the one table behind both directions: the
// parser's Alt codes (character to scan code) and the toolkit's KeyLetter
// (scan code to character).

// The unshifted character of scan code scanCode (letters in lower case,
// keypad keys as without Num Lock), 0 when it types none.
int ScanCodeCharacter(int scanCode);

// The key that types the printable ASCII character ch (0x20 to 0x7E): its
// scan code and whether Shift is needed. False for any other character.
// Where two keys type it (the keypad's * - +), the main keyboard's key wins.
bool CharacterScanCode(int ch, int& scanCode, bool& shifted);
