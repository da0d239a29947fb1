#pragma once
// The lock wait: every BtrieveFile call passes through it, so that records
// and files locked by another user are waited for instead of failing.
//
//   bias = (operation / 100) * 100
//   200, 400 (no-wait locks): one call, its status is the result.
//   100, 300 (wait locks): sent as the no-wait form (+100); we wait here.
//   call the engine; any status but 84 (record locked) or 85 (file locked)
//   is the result. Otherwise release `lock` once and wait through the
//   installed LockWaitPrompt (below); take `lock` again and call once more,
//   unless the prompt says the user gave up, which answers the locked status.
//
// The prompt is what the user sees and does meanwhile. The application
// installs the toolkit's window (ui/LockWaitWindow.h: "File Locked, waiting:
// <fileName>(<status>)" on the bottom screen row, keys read for at most 11
// polls of 100 ms, Ctrl+Z gives up, Esc does not). Without one, every wait
// passes unseen (kLockWaitPolls * kLockWaitPollMs) and the call retries until
// the lock goes.
//
// Requires: the caller holds `lock` once. It holds it again when this
// returns, except when re-taking it failed (kStatusLockFailed).

#include "base/Estring.h"
#include "base/Lock.h"
#include "engine/Contract.h"

#include <cstdint>

constexpr int kStatusRecordLocked = qdx::wire::kRecordLocked;
constexpr int kStatusFileLocked = qdx::wire::kFileLocked;
constexpr int kLockWaitPolls = 11;
constexpr int kLockWaitPollMs = 100;

class LockWaitPrompt {
public:
    virtual ~LockWaitPrompt() = default;
    // One wait of about kLockWaitPolls * kLockWaitPollMs (less when the user
    // acts) while fileName is locked elsewhere with status (84 or 85). True
    // when the user gives up waiting.
    virtual bool Wait(const Estring& fileName, int status) = 0;
};

// Installs the process-wide prompt (not owned; the installer keeps it alive
// until it installs another). nullptr: waits pass unseen.
void InstallLockWaitPrompt(LockWaitPrompt* prompt);
LockWaitPrompt* InstalledLockWaitPrompt();

int CallWithLockWait(RecursiveLock& lock, int operation, void* positionBlock, void* dataBuffer,
                     uint16_t* dataLength, void* keyBuffer, int keyNumber, const Estring& fileName);

// The waiting line's text, shortened (the file name loses its start) to fit
// maxLength characters.
Estring LockWaitText(const Estring& fileName, int status, int maxLength);
