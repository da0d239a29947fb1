#pragma once
// qdxutil subcommands. Each command lives in its own file and registers
// itself with a file-level Registration object:
//
//   static qdxutil::Registration reg{"stat", "FILE [--owner NAME]",
//                                    "print a file's specification", RunStat};
//
// A command returns the process exit code: 0 success, 1 failure (one line
// on stderr naming the file and the engine status text), 2 usage error.

#include <string>
#include <vector>

namespace qdxutil {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// args excludes the program and command names.
using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* usage;    // argument synopsis, shown after "qdxutil <name> "
    const char* summary;  // one line
    CommandFn run;
    const char* details = nullptr;  // further lines of --help (may be null)
};

struct Registration {
    Registration(const char* name, const char* usage, const char* summary, CommandFn run,
                 const char* details = nullptr);
};

// Commands in name order.
std::vector<Command> Commands();

// True when args hold -h or --help: the command prints its usage and returns 0.
bool WantsHelp(const std::vector<std::string>& args);
// Prints "usage: qdxutil <name> <usage>" and the summary to stdout or stderr,
// then the details when asked for --help (on stdout).
void PrintUsage(const Command& command, bool toStderr);
// The registered command of that name, or null.
const Command* FindCommand(const std::string& name);

}  // namespace qdxutil
