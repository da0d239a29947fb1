#pragma once
// Opening a data file and browsing it: the owner-name prompt, the offer to
// create a missing file from its definition, the definition with the
// indexes of the open file, and the grid's run loop.

#include <cstdint>
#include <functional>
#include <vector>

#include "base/Estring.h"

class BtrieveFile;

// Opens path for the table whose file.ddf record is tableRecord, with
// ownerName (kept across files; the prompt may change it), and runs the
// grid until Esc or Alt-X. True when the user left with Alt-X (the program
// ends). Failures are shown; the result is then false. relayout (may be
// empty) makes the windows below the grid again after the console was
// resized, while the grid is closed.
bool openDataFile(const Estring& path, const uint8_t* tableRecord, Estring& ownerName,
                  const std::function<void()>& relayout = nullptr);

// The owner-name prompt for path; returns 13 (Enter) or 27 (Esc).
int askOwner(const Estring& path, Estring& ownerName);

// Opens a joined table's file: the owner rule of openDataFile without the
// creation offer; a failure is shown ("opening <path>"). On success
// recordBufferSize is 32768 for variable-length records, else the record
// length. Returns the engine status.
int openJoinedFile(BtrieveFile& file, const Estring& path, Estring& ownerName, unsigned& recordBufferSize);

// The table list titled " Select file to join to ": the chosen table's
// file.ddf record, its location and the owner name given in the open
// options. False on Esc.
bool pickJoinTable(std::vector<uint8_t>& tableRecord, Estring& path, Estring& ownerName);
