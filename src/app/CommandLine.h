#pragma once
// The program's command line: an optional data file name, the d option and
// the long options --help and --version.
//
// Arguments are read left to right. "--help", "--version" and other "--"
// options are long options. "-x..." and "/x" are options: a lower-case "d"
// as their second character takes the next argument (if any) as the
// dictionary directory; others are ignored. A longer argument starting with
// "/" is an absolute path, i.e. a file name. Any other argument is the data
// file (the last one wins). Arguments arrive in UTF-8 and are kept in the
// code page.

#include "base/Estring.h"

struct CommandLine {
    Estring fileArgument;    // the last argument that is not an option
    Estring dictionaryPath;  // the d option's argument
    bool help = false;       // --help
    bool version = false;    // --version
    Estring badOption;       // the first long option not known ("--x")
};

CommandLine ParseCommandLine(int argc, const char* const* argv);
