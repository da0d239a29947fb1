#pragma once
// LockWaitWindow: the lock wait as the user sees it. While an engine call
// waits for a record or file locked elsewhere, "File Locked, waiting: " with
// the file name and status shows in a one-row window on the bottom screen row
// (message colour), and keys are read for at most kLockWaitPolls polls of
// kLockWaitPollMs. Any key ends the wait early; Ctrl+Z gives up. The window
// puts back what it covered before the call is retried.
//
// The application installs one with InstallLockWaitPrompt (btrieve/LockWait.h).

#include "btrieve/LockWait.h"
#include "platform/Console.h"

class LockWaitWindow : public LockWaitPrompt {
public:
    explicit LockWaitWindow(Console& console = ProcessConsole()) : console(console) {}
    bool Wait(const Estring& fileName, int status) override;

private:
    Console& console;
};
