#pragma once
// The system's error and question box, and the titled message window.
//
// messageBox(text, second, style): text is wrapped into lines of at most 72
// characters (at the last blank within them, else hard at 72; at most 10
// lines), second is one more line (cut to 72), and a row of buttons follows.
// style bits 0..3 pick the buttons, bit 4 (kMessageNeutral) black on grey
// instead of white on red:
//
//   set  buttons (answer, Alt letter)
//   0    Ok ('y', o)
//   1    Ok ('y', o)  Cancel (27)
//   2    Ok ('y', o)  Cancel (27)  Skip ('s', s)  All ('a', a)  None ('e', e)
//   3    Skip ('s', s)  Cancel (27)  Skip All ('a')
//
// Ok is the default (Enter). The answer is the button's code as a character:
// 'y', 's', 'a', 'e' or 27; a press and release outside the box is 27. A
// button's answer letter typed as a key also presses it.
//
// ShowMessage(title, text, alert): text is lines separated by "#" (a leading
// "#" is ignored), shown centred in a framed window (white on red when alert,
// else white on blue) with " Press ESC to continue " on its bottom frame line,
// until any key or mouse action. title may be null.

#include <vector>

#include "base/Estring.h"

constexpr int kMessageOk = 0;
constexpr int kMessageOkCancel = 1;
constexpr int kMessageOkCancelSkipAllNone = 2;
constexpr int kMessageSkipCancelSkipAll = 3;
constexpr int kMessageNeutral = 0x10;

// Answers of messageBox.
constexpr int kAnswerOk = 'y';
constexpr int kAnswerSkip = 's';
constexpr int kAnswerAll = 'a';
constexpr int kAnswerNone = 'e';
constexpr int kAnswerCancel = 27;

int messageBox(const Estring& text, const Estring& second, int style);

void ShowMessage(const char* title, const Estring& text, bool alert);

// The lines messageBox shows for text: at most 72 characters each, at most 10.
std::vector<Estring> WrapMessageText(const Estring& text);
// The lines ShowMessage shows for text.
std::vector<Estring> SplitMessageLines(const Estring& text);
