#include "platform/TerminalRestore.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace terminal_restore {
namespace {

constexpr int kMaxRestoreBytes = 1024;

// Read by signal handlers: only plain data and sig_atomic_t flags.
volatile sig_atomic_t armed = 0;
volatile sig_atomic_t resized = 0;
bool installed = false;
int savedInputFd = 0;
int savedOutputFd = 1;
termios savedModes;
char restoreBytes[kMaxRestoreBytes];
int restoreLength = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP,  SIGQUIT, SIGSEGV, SIGABRT, SIGBUS,
                                  SIGFPE, SIGILL,  SIGTRAP, SIGSYS,  SIGXCPU, SIGXFSZ};

// The handlers run on a stack of their own, so that a crash by stack
// overflow still gives the terminal back.
constexpr size_t kSignalStackBytes = 64 * 1024;
alignas(16) char signalStack[kSignalStackBytes];

// Async-signal-safe: write and tcsetattr only.
void RestoreTerminal() {
    if (!armed) return;
    armed = 0;
    int done = 0;
    while (done < restoreLength) {
        ssize_t n = write(savedOutputFd, restoreBytes + done, static_cast<size_t>(restoreLength - done));
        if (n <= 0) break;
        done += static_cast<int>(n);
    }
    tcsetattr(savedInputFd, TCSANOW, &savedModes);
}

void OnEndingSignal(int signalNumber) {
    RestoreTerminal();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void OnResize(int) { resized = 1; }

void AtExit() { RestoreTerminal(); }

void Install() {
    if (installed) return;
    installed = true;
    stack_t stack;
    std::memset(&stack, 0, sizeof stack);
    stack.ss_sp = signalStack;
    stack.ss_size = kSignalStackBytes;
    bool ownStack = sigaltstack(&stack, nullptr) == 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnEndingSignal;
    action.sa_flags = ownStack ? SA_ONSTACK : 0;
    for (int signalNumber : kEndingSignals) {
        // A signal the caller of the program chose to ignore stays ignored.
        struct sigaction previous;
        if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        sigaction(signalNumber, &action, nullptr);
    }
    // No SA_RESTART: a waiting poll() wakes up and the screen is repainted.
    action.sa_handler = OnResize;
    action.sa_flags = 0;
    sigaction(SIGWINCH, &action, nullptr);
    std::atexit(AtExit);
}

}  // namespace

void Arm(int inputFd, int outputFd, const termios& original, const std::string& bytes) {
    savedInputFd = inputFd;
    savedOutputFd = outputFd;
    savedModes = original;
    restoreLength = static_cast<int>(bytes.size() < kMaxRestoreBytes ? bytes.size() : kMaxRestoreBytes);
    std::memcpy(restoreBytes, bytes.data(), static_cast<size_t>(restoreLength));
    Install();
    armed = 1;
}

void Disarm() { armed = 0; }

bool Armed() { return armed != 0; }

void RestoreNow() { RestoreTerminal(); }

bool TakeResize() {
    if (!resized) return false;
    resized = 0;
    return true;
}

}  // namespace terminal_restore
