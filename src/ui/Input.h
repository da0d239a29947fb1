#pragma once
// Keyboard and mouse input of the console toolkit.
//
// Every read first flushes the console display, so the user sees the screen
// that the program is waiting on. Events come from the process-wide console
// (platform/Console.h), or from the console given; a resize event (kEventResize)
// has resized the console's display when it is returned. Key codes are listed
// in platform/KeyCodes.h.

#include "platform/Console.h"
#include "platform/InputEvent.h"
#include "platform/KeyLayout.h"

// Fills event with the next key or mouse action; timeoutMs < 0 waits without
// limit, otherwise event.type is kEventNone (14) after about timeoutMs ms
// without input.
void ReadInput(InputEvent& event, int timeoutMs);
void ReadInput(Console& console, InputEvent& event, int timeoutMs);
// ReadInput without a time-out.
void WaitInput(InputEvent& event);
void WaitInput(Console& console, InputEvent& event);
// True when an event is waiting; consumes nothing.
bool InputPending();
// Flushes the display, then consumes one waiting event, if any; true when it
// was the Esc key. Returns false at once when nothing is waiting. Long
// operations call it between steps.
bool EscapePressed();
bool EscapePressed(Console& console);
// Flushes the display, then takes an Esc out of the waiting events, from
// the from-th on (see HoldWaitingInput); true when one was there. Every other
// waiting event stays for the next reads, so a search watching for Esc does
// not eat the keys typed ahead of its end.
bool EscapeWaiting(int from = 0);
bool EscapeWaiting(Console& console, int from);
// Reads the events waiting now into the console's queue, where they stay for
// the next reads; returns how many wait. A long operation that starts with it
// and passes the count to EscapeWaiting is stopped only by an Esc typed while
// it runs: keys typed before it began are for what comes after it.
int HoldWaitingInput();
// For an Alt code (key > 1000): the unshifted character of the key with scan
// code key - 1000, letters in lower case ('x' for Alt-X 1045, '1' for Alt-1),
// or the key code itself when that scan code has no character. Other keys
// (and non-key events) give event.key unchanged.
int KeyLetter(const InputEvent& event);
// ScanCodeCharacter(scanCode), the unshifted character of a PC scan code, comes
// from platform/KeyLayout.h.
