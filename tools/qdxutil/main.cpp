// qdxutil: make, inspect and dump engine files and dictionaries from the shell.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Args.h"
#include "CommandRegistry.h"
#include "base/CodePage437.h"

namespace qdxutil {
namespace {

std::vector<Command>& Table() {
    static std::vector<Command> table;
    return table;
}

void PrintOverview(FILE* out) {
    std::fprintf(out, "usage: qdxutil COMMAND [ARGS]   (qdxutil COMMAND --help for details)\n\ncommands:\n");
    for (const Command& c : Commands()) std::fprintf(out, "  %-8s %s\n", c.name, c.summary);
}

}  // namespace

Registration::Registration(const char* name, const char* usage, const char* summary, CommandFn run,
                           const char* details) {
    Table().push_back(Command{name, usage, summary, run, details});
}

std::vector<Command> Commands() {
    std::vector<Command> sorted = Table();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return std::string(a.name) < b.name; });
    return sorted;
}

const Command* FindCommand(const std::string& name) {
    for (const Command& c : Table())
        if (name == c.name) return &c;
    return nullptr;
}

bool WantsHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "-h" || a == "--help"; });
}

void PrintUsage(const Command& command, bool toStderr) {
    FILE* out = toStderr ? stderr : stdout;
    std::fprintf(out, "usage: qdxutil %s %s\n  %s\n", command.name, command.usage, command.summary);
    if (!toStderr && command.details != nullptr) std::fprintf(out, "%s", command.details);
}

}  // namespace qdxutil

int main(int argc, char** argv) {
    using namespace qdxutil;
    if (argc < 2) {
        PrintOverview(stderr);
        return kExitUsage;
    }
    std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        PrintOverview(stdout);
        return kExitOk;
    }
    const Command* command = FindCommand(name);
    if (!command) {
        std::fprintf(stderr, "qdxutil: unknown command '%s'\n", EscapeControls(name).c_str());
        PrintOverview(stderr);
        return kExitUsage;
    }
    // Arguments arrive in UTF-8; the program's text (names, formulas, data)
    // is in the console's code page.
    std::vector<std::string> args;
    for (int i = 2; i < argc; ++i) args.push_back(cp437::FromUtf8(argv[i]));
    if (WantsHelp(args)) {
        PrintUsage(*command, false);
        return kExitOk;
    }
    return command->run(args);
}
