// Program entry: --help and --version are answered before the terminal is
// touched, so they work in scripts and pipes; otherwise the terminal becomes
// the console and the browser runs.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/Startup.h"
#include "platform/Console.h"
#include "platform/TerminalDisplay.h"
#include "platform/TerminalInput.h"

#ifndef QDX_VERSION
#define QDX_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    if (commandLine.version) {
        std::printf("quarrydex %s\n", QDX_VERSION);
        return 0;
    }
    if (!commandLine.badOption.IsEmpty()) {
        std::fprintf(stderr, "quarrydex: unknown option '%s'\nTry 'quarrydex --help' for more information.\n",
                     commandLine.badOption.Text());
        return 2;
    }
    std::string error;
    std::unique_ptr<TerminalDisplay> display = TerminalDisplay::Open(error);
    if (!display) {
        std::fprintf(stderr, "quarrydex: %s\n", error.c_str());
        return 1;
    }
    TerminalInput input(STDIN_FILENO);
    InstallConsole(display.get(), &input);
    int exitCode = RunQuarrydex(commandLine);
    display->Flush();
    InstallConsole(nullptr, nullptr);
    display.reset();
    return exitCode;
}
