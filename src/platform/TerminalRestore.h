#pragma once
// Giving the user's terminal back on every way out of the program.
//
// While armed, SIGINT, SIGTERM, SIGHUP, SIGQUIT and the crash signals
// (SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGXCPU,
// SIGXFSZ) first write the restore bytes (mouse off, colours and cursor
// back, leave the alternate screen) and put back the terminal modes saved at
// arming, then take their default action (the process ends as it would have). An exit through exit() restores as well.
// In raw mode Ctrl-C is not a signal but key 3; SIGINT comes only from kill.
//
// The ending signals are handled on a signal stack of their own (a stack
// overflow still restores). SIGWINCH (a resized terminal) only sets a flag,
// taken by TakeResize(), and counts (ResizeCount()).
//
// SIGTSTP (a stop asked for with kill; in raw mode Ctrl-Z is key 26) gives the
// terminal back as an ending signal does, then stops the process. When it is
// continued, the terminal is taken again (the resume bytes of ArmResume and
// the program's own terminal modes) and TakeRepaint() says so once; SIGCONT
// after any other stop also asks for the repaint.
// The handlers are installed at the first Arm and stay; they do nothing while
// disarmed. A signal that was ignored when the program started keeps being
// ignored.

#include <string>
#include <termios.h>

namespace terminal_restore {

// Requires: restoreBytes shorter than 1024 bytes (longer text is cut).
void Arm(int inputFd, int outputFd, const termios& original, const std::string& restoreBytes);
// The terminal has been restored the ordinary way; signals no longer touch it.
void Disarm();
bool Armed();
// Restores now, as a signal would, without ending the process.
void RestoreNow();
// True once for each resize seen since the last call.
bool TakeResize();
// Resizes seen since the handlers were installed.
int ResizeCount();
// What taking the terminal again after a stop writes (alternate screen,
// mouse on; shorter than 1024 bytes) and the modes it sets.
void ArmResume(const termios& programModes, const std::string& resumeBytes);
// True once after the process was continued from a stop.
bool TakeRepaint();

}  // namespace terminal_restore
