#include "platform/TerminalRestore.h"

#include <cerrno>
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
volatile sig_atomic_t resizeCount = 0;
volatile sig_atomic_t repaint = 0;
volatile sig_atomic_t resumeArmed = 0;
bool installed = false;
int savedInputFd = 0;
int savedOutputFd = 1;
termios savedModes;
char restoreBytes[kMaxRestoreBytes];
int restoreLength = 0;
termios programModes;
char resumeBytes[kMaxRestoreBytes];
int resumeLength = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP,  SIGQUIT, SIGSEGV, SIGABRT, SIGBUS,
                                  SIGFPE, SIGILL,  SIGTRAP, SIGSYS,  SIGXCPU, SIGXFSZ};

// The handlers run on a stack of their own, so that a crash by stack
// overflow still gives the terminal back.
constexpr size_t kSignalStackBytes = 64 * 1024;
alignas(16) char signalStack[kSignalStackBytes];

// Async-signal-safe: write and tcsetattr only.
void WriteBytes(const char* bytes, int length) {
    int done = 0;
    while (done < length) {
        ssize_t n = write(savedOutputFd, bytes + done, static_cast<size_t>(length - done));
        if (n <= 0) break;
        done += static_cast<int>(n);
    }
}

void RestoreTerminal() {
    if (!armed) return;
    armed = 0;
    WriteBytes(restoreBytes, restoreLength);
    tcsetattr(savedInputFd, TCSANOW, &savedModes);
}

// Gives the terminal back, stops, and on continuing takes the terminal again.
void OnStop(int signalNumber) {
    int savedErrno = errno;
    bool wasArmed = armed != 0;
    RestoreTerminal();
    // Stop for real: the default action, with this signal let through.
    signal(signalNumber, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signalNumber);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(signalNumber);
    // Continued.
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnStop;
    sigaction(signalNumber, &action, nullptr);
    if (wasArmed) {
        if (resumeArmed) {
            tcsetattr(savedInputFd, TCSANOW, &programModes);
            WriteBytes(resumeBytes, resumeLength);
        }
        armed = 1;
        repaint = 1;
    }
    errno = savedErrno;
}

void OnContinue(int) {
    int savedErrno = errno;
    // A stop we did not see (SIGSTOP): the shell may have changed the modes.
    if (armed && resumeArmed) tcsetattr(savedInputFd, TCSANOW, &programModes);
    if (armed) repaint = 1;
    errno = savedErrno;
}

void OnEndingSignal(int signalNumber) {
    RestoreTerminal();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void OnResize(int) {
    resized = 1;
    resizeCount = resizeCount + 1;
}

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
    struct sigaction previous;
    if (sigaction(SIGTSTP, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
        action.sa_handler = OnStop;
        sigaction(SIGTSTP, &action, nullptr);
    }
    action.sa_handler = OnContinue;
    sigaction(SIGCONT, &action, nullptr);
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

void ArmResume(const termios& modes, const std::string& bytes) {
    resumeArmed = 0;
    programModes = modes;
    resumeLength = static_cast<int>(bytes.size() < kMaxRestoreBytes ? bytes.size() : kMaxRestoreBytes);
    std::memcpy(resumeBytes, bytes.data(), static_cast<size_t>(resumeLength));
    resumeArmed = 1;
}

void Disarm() {
    armed = 0;
    resumeArmed = 0;
}

bool Armed() { return armed != 0; }

void RestoreNow() { RestoreTerminal(); }

int ResizeCount() { return resizeCount; }

bool TakeRepaint() {
    if (!repaint) return false;
    repaint = 0;
    return true;
}

bool TakeResize() {
    if (!resized) return false;
    resized = 0;
    return true;
}

}  // namespace terminal_restore
