#include "app/CommandLine.h"

#include <cstring>

#include "base/CodePage437.h"

namespace {

Estring FromArgument(const char* argument) { return Estring(cp437::FromUtf8(argument != nullptr ? argument : "")); }

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i] != nullptr ? argv[i] : "";
        if (std::strncmp(arg, "--", 2) == 0 && arg[2] != '\0') {
            if (std::strcmp(arg, "--help") == 0) {
                line.help = true;
            } else if (std::strcmp(arg, "--version") == 0) {
                line.version = true;
            } else if (line.badOption.IsEmpty()) {
                line.badOption = FromArgument(arg);
            }
            continue;
        }
        // "/x" alone is an option; "/home/..." is a path.
        bool option = arg[0] == '-' || (arg[0] == '/' && arg[1] != '\0' && arg[2] == '\0');
        if (option) {
            if (arg[1] == 'd' && i + 1 < argc) line.dictionaryPath = FromArgument(argv[++i]);
            continue;
        }
        line.fileArgument = FromArgument(arg);
    }
    return line;
}
