#pragma once
// The program's command line: an optional data file name and the d option.
//
// Arguments are read left to right. One starting with "-" or "/" is an
// option: a lower-case "d" as its second character takes the next argument
// (if any) as the dictionary directory; other options are ignored. Any other
// argument is the data file (the last one wins). Arguments arrive in UTF-8
// and are kept in the code page.

#include "base/Estring.h"

struct CommandLine {
    Estring fileArgument;
    Estring dictionaryPath;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);
