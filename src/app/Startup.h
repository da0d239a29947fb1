#pragma once
// The program's start: the command line, the start-up screen, the
// dictionary, and the loop that picks a table and browses its file.

#include <cstdint>
#include <vector>

#include "base/Estring.h"

constexpr const char* kProgramTitle = "Quarrydex v1.00.152";

struct CommandLine {
    Estring fileArgument;    // the last argument that is not an option
    Estring dictionaryPath;  // the d option's argument
    bool help = false;       // --help
    bool version = false;    // --version
    Estring badOption;       // the first long option not known ("--x")
};

// Arguments left to right. "--help", "--version" and other "--" options are
// long options. "-x..." and "/x" are options: a lower-case d as their second
// character takes the next argument as the dictionary directory; others are
// ignored. A longer argument starting with "/" is an absolute path, i.e. a
// file name. Everything else is the file argument (the last one wins).
CommandLine ParseCommandLine(int argc, const char* const* argv);

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
// dictionary was not opened).
int RunQuarrydex(const CommandLine& commandLine);
