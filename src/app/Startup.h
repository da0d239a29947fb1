#pragma once
// The program's start: the command line, the start-up screen, the
// dictionary, and the loop that picks a table and browses its file.

#include <cstdint>
#include <vector>

#include "app/CommandLine.h"
#include "base/Estring.h"

constexpr const char* kProgramTitle = "Quarrydex v1.00.152";

// The --help text.
const char* UsageText();

// The data file name as looked up: "\" read as "/", ".dat" appended when
// the name has no "." at all.
Estring NormalisedFileArgument(const Estring& argument);

// Reads file.ddf in key-0 order for the first table whose location equals
// the argument's base name (after its last "/") or the whole argument, letter
// case ignored. record receives it (ddf file record).
bool FindTableByLocation(const Estring& argument, std::vector<uint8_t>& record);

// The whole program on the installed console; the exit code (1 when the
// dictionary was not opened). For the length of the run the lock wait shows
// in its window and the dictionary's messages in the message box; what was
// installed before is put back when it returns.
int RunQuarrydex(const CommandLine& commandLine);
