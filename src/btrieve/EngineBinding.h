#pragma once
// The binding to the record manager's client library and its one entry,
// BTRCALL. The library is loaded with dlopen at the first call:
//   1. the file named by the environment variable QDX_ENGINE_LIBRARY, when set;
//   2. otherwise libqdxengine.so beside the running executable, then
//      libqdxengine.so along the system's library search path.
// A failed load is retried at the next call; until a library with BTRCALL is
// loaded every call answers kStatusEngineInactive (20).

#include <cstdint>
#include <string>

#include "engine/Contract.h"

// Engine statuses the binding and BtrieveFile give themselves.
constexpr int kStatusEngineInactive = qdx::wire::kEngineInactive;      // no library, or no BTRCALL in it
constexpr int kStatusDataBufferLength = qdx::wire::kDataBufferLength;  // a buffer the call needs is missing
constexpr int kStatusInvalidFileName = qdx::wire::kInvalidFileName;    // a file name the key buffer cannot hold
constexpr int kStatusLockFailed = 65535;  // the file's own lock could not be taken (never from the engine)

// Sizes of what every call exchanges.
constexpr int kPositionBlockSize = static_cast<int>(qdx::wire::kPositionBlockSize);
constexpr int kKeyLength = qdx::wire::kMaxKeyLength;  // the key length sent with every call
constexpr int kKeyBufferSize = kKeyLength + 1;        // key buffers: 255 bytes and a terminator

constexpr const char* kEngineLibraryVariable = "QDX_ENGINE_LIBRARY";
constexpr const char* kEngineLibraryName = "libqdxengine.so";

// One engine call. dataLength may be null (length 0 is sent); otherwise it
// is widened to 32 bits for the call and its low 16 bits are written back.
// The key length is always kKeyLength, so keyBuffer (when not null) must hold
// at least 255 bytes. Returns the engine's status as 0 to 65535.
int CallEngine(int operation, void* positionBlock, void* dataBuffer, uint16_t* dataLength, void* keyBuffer,
               int keyNumber);

// True when a library with BTRCALL is loaded (after a successful load attempt).
bool EngineLoaded();

// Why the last load attempt found no engine: each library tried and the
// loader's reason ("/x/libqdxengine.so: cannot open shared object file: No
// such file or directory"; several joined by "; "). Empty when an engine is
// loaded or no load was tried yet. Messages add it after the status text of
// kStatusEngineInactive.
std::string EngineLoadFailure();

// Forgets the library found, so that the next call searches again (tests
// switch between engines with it). The library itself stays loaded: files
// opened through it may still hold its state, and a later load of the same
// file finds that state again.
// Requires: no call is in progress.
void ResetEngineBinding();
