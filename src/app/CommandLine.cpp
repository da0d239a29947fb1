#include "app/CommandLine.h"

#include "base/CodePage437.h"

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        Estring argument(cp437::FromUtf8(argv[i] != nullptr ? argv[i] : ""));
        bool option = argument.Length() > 0 && (argument[0] == '-' || argument[0] == '/');
        if (!option) {
            line.fileArgument = argument;
            continue;
        }
        if (argument.Length() > 1 && argument[1] == 'd' && i + 1 < argc) {
            line.dictionaryPath = Estring(cp437::FromUtf8(argv[i + 1] != nullptr ? argv[i + 1] : ""));
            ++i;
        }
    }
    return line;
}
