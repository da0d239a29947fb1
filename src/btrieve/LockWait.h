#pragma once
// The lock wait: every BtrieveFile call passes through it, so that records
// and files locked by another user are waited for instead of failing.
//
//   bias = (operation / 100) * 100
//   200, 400 (no-wait locks): one call, its status is the result.
//   100, 300 (wait locks): sent as the no-wait form (+100); we wait here.
//   call the engine; any status but 84 (record locked) or 85 (file locked)
//   is the result. Otherwise release `lock` once and show
//   "File Locked, waiting: <fileName>(<status>)" on the bottom screen row,
//   then read keys for at most 11 polls of 100 ms; take `lock` again and
//   call once more, unless the key read was Ctrl+Z (26), which gives up with
//   the locked status. Esc does not cancel.
//
// Requires: the caller holds `lock` once. It holds it again when this
// returns, except when re-taking it failed (kStatusLockFailed).

#include "base/Estring.h"
#include "base/Lock.h"

#include <cstdint>

constexpr int kStatusRecordLocked = 84;
constexpr int kStatusFileLocked = 85;
constexpr int kLockWaitPolls = 11;
constexpr int kLockWaitPollMs = 100;

int CallWithLockWait(RecursiveLock& lock, int operation, void* positionBlock, void* dataBuffer,
                     uint16_t* dataLength, void* keyBuffer, int keyNumber, const Estring& fileName);

// The waiting line's text, shortened (the file name loses its start) to fit
// maxLength characters.
Estring LockWaitText(const Estring& fileName, int status, int maxLength);
