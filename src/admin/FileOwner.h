#pragma once
// Owner names of an open file: the access mode rule and the Set / Clear
// operations. The name is handed straight to the engine and kept nowhere.

#include "base/Estring.h"

class BtrieveFile;

// The owner access mode (the key number of Set Owner): 0 when the name is
// required for read-only access too, 1 when reading needs no name; plus 2
// when the records are encrypted.
int OwnerAccessMode(bool requireForReadOnly, bool encrypt);

// Set Owner with name in both buffers and mode as key number; the engine
// status. An empty name makes no call and answers kOwnerNotGiven.
constexpr int kOwnerNotGiven = -1;
int SetFileOwner(BtrieveFile& file, const Estring& name, int mode);

// Clear Owner; the engine status.
int ClearFileOwner(BtrieveFile& file);
