#include "platform/TerminalRestore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// Deep recursion that the compiler cannot turn into a loop; the volatile
// limit is never reached, it only keeps the recursion from looking endless.
volatile int recursionLimit = 1 << 30;
int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth >= recursionLimit) return frame[0];
    return Recurse(depth + 1) + frame[0];
}

// What the handler wrote to the pipe standing in for the terminal.
std::string Drain(int fd) {
    fcntl(fd, F_SETFL, O_NONBLOCK);
    std::string text;
    char bytes[256];
    ssize_t n;
    while ((n = read(fd, bytes, sizeof bytes)) > 0) text.append(bytes, static_cast<size_t>(n));
    return text;
}

}  // namespace

TEST(TerminalRestoreDeathTest, CrashSignalsWriteTheRestoreBytes) {
    GTEST_FLAG_SET(death_test_style, "fast");
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    termios modes{};
    EXPECT_EXIT(
        {
            terminal_restore::Arm(fds[0], fds[1], modes, "RESTORED");
            raise(SIGSEGV);
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_EQ("RESTORED", Drain(fds[0]));
    // A stack overflow leaves no stack for the handler unless it has its own.
    EXPECT_EXIT(
        {
            terminal_restore::Arm(fds[0], fds[1], modes, "AFTER OVERFLOW");
            Recurse(0);
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_EQ("AFTER OVERFLOW", Drain(fds[0]));
    // A file grown past its size limit ends the program like a crash.
    EXPECT_EXIT(
        {
            terminal_restore::Arm(fds[0], fds[1], modes, "FILE TOO BIG");
            raise(SIGXFSZ);
        },
        ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ("FILE TOO BIG", Drain(fds[0]));
    // A hang-up the program was started to ignore does not end it.
    EXPECT_EXIT(
        {
            signal(SIGHUP, SIG_IGN);
            terminal_restore::Arm(fds[0], fds[1], modes, "NOT THIS");
            raise(SIGHUP);
            _exit(7);
        },
        ::testing::ExitedWithCode(7), "");
    EXPECT_EQ("", Drain(fds[0]));
    close(fds[0]);
    close(fds[1]);
}
