#include "platform/Console.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <vector>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/KeyCodes.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "platform/TerminalInput.h"
#include "platform/TerminalRestore.h"

TEST(Console, ScopedGuardsNestAndPutBackWhatWasThere) {
    Display& defaultDisplay = ConsoleDisplay();
    MemoryDisplay outer(90, 30), inner(40, 10);
    ScriptedInput outerKeys, innerKeys;
    {
        ScopedConsole first(outer, outerKeys);
        EXPECT_EQ(&outer, &ConsoleDisplay());
        {
            ScopedConsole second(inner, innerKeys);
            EXPECT_EQ(&inner, &ConsoleDisplay());
            EXPECT_EQ(&innerKeys, &ConsoleInput());
        }
        EXPECT_EQ(&outer, &ConsoleDisplay());
        EXPECT_EQ(&outerKeys, &ConsoleInput());
    }
    EXPECT_EQ(&defaultDisplay, &ConsoleDisplay());
}

TEST(Console, AConsoleOfItsOwnLeavesTheProcessConsoleAlone) {
    MemoryDisplay screen(20, 5);
    ScriptedInput keys;
    Console console(screen, keys);
    console.SetCursorShape(90);
    console.SetCursorShape(90);
    EXPECT_EQ(1, screen.CursorShapeCalls());
    EXPECT_EQ(90, console.CursorShape());
    EXPECT_NE(&screen, &ConsoleDisplay());
    int width = 0, height = 0;
    console.GetScreenSize(width, height);
    EXPECT_EQ(20, width);
    EXPECT_EQ(5, height);
}

TEST(Console, ReadFlushesAndAResizeEventResizesTheDisplay) {
    MemoryDisplay screen(10, 4);
    ScriptedInput keys;
    Console console(screen, keys);
    screen.WriteChars(0, 0, reinterpret_cast<const uint8_t*>("abcdefghij"), 10);
    screen.WriteChars(0, 3, reinterpret_cast<const uint8_t*>("bottom"), 6);
    keys.PushResize(6, 2);
    keys.PushKey('x');
    keys.PushResize(12, 5);
    InputEvent event{};
    console.Read(event, -1);
    EXPECT_EQ(1, screen.Flushes());
    EXPECT_EQ(kEventResize, event.type);
    EXPECT_TRUE(IsValidInputEvent(event));
    EXPECT_EQ(6, screen.Width());
    EXPECT_EQ(2, screen.Height());
    EXPECT_EQ("abcdef", screen.RowText(0));  // what both sizes share stays
    console.Read(event, -1);
    EXPECT_EQ('x', event.key);
    console.Read(event, -1);
    EXPECT_EQ(12, screen.Width());
    EXPECT_EQ("abcdef      ", screen.RowText(0));  // cells cut off before come back blank
    EXPECT_EQ(std::string(12, ' '), screen.RowText(4));
    EXPECT_EQ(kBlankCell, screen.At(11, 4));
}

TEST(Console, TakingAWaitingEscapeKeepsEveryOtherEventInOrder) {
    MemoryDisplay screen(10, 4);
    ScriptedInput keys;
    Console console(screen, keys);
    EXPECT_FALSE(console.TakeWaitingEscape());
    EXPECT_FALSE(console.Pending());

    keys.PushKey('a');
    keys.PushResize(6, 2);
    EXPECT_FALSE(console.TakeWaitingEscape());
    EXPECT_TRUE(console.Pending());
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_EQ(10, screen.Width()) << "a resize read ahead applies when it is delivered";
    keys.PushKey(kKeyEsc);
    keys.PushKey('b');
    keys.PushKey(kKeyEsc);
    EXPECT_TRUE(console.TakeWaitingEscape());  // the first Esc only
    InputEvent event{};
    std::vector<int> seen;
    while (console.Pending()) {
        console.Read(event, 0);
        seen.push_back(event.type == kEventResize ? -event.x : event.key);
    }
    EXPECT_EQ((std::vector<int>{'a', -6, 'b', kKeyEsc}), seen);
    EXPECT_EQ(6, screen.Width());
    // Read without a wait after the queue is empty asks the input again.
    console.Read(event, 0);
    EXPECT_EQ(kEventNone, event.type);

    // An Esc held before place from is not taken; one after it is.
    keys.PushKey(kKeyEsc);
    keys.PushKey('d');
    const int held = console.HoldWaiting();
    EXPECT_EQ(2, held);
    EXPECT_FALSE(console.TakeWaitingEscape(held));
    keys.PushKey(kKeyEsc);
    EXPECT_TRUE(console.TakeWaitingEscape(held));
    EXPECT_FALSE(console.TakeWaitingEscape(held));
    EXPECT_TRUE(console.TakeWaitingEscape(0));
    console.Read(event, 0);
    EXPECT_EQ('d', event.key);
    EXPECT_FALSE(console.Pending());
    EXPECT_FALSE(console.TakeWaitingEscape(99)) << "a place past the end is the end";

    // Events read ahead belong to their input: installing another one drops them.
    keys.PushKey('c');
    EXPECT_FALSE(console.TakeWaitingEscape());
    ScriptedInput other;
    console.Install(screen, other);
    EXPECT_FALSE(console.Pending());
}

TEST(Console, ResizeEventsNeedASize) {
    EXPECT_TRUE(IsValidInputEvent(InputEvent{kEventResize, -1, 1, 1}));
    EXPECT_FALSE(IsValidInputEvent(InputEvent{kEventResize, -1, 0, 25}));
    EXPECT_FALSE(IsValidInputEvent(InputEvent{kEventResize, -1, 80, 0}));
    EXPECT_FALSE(IsValidInputEvent(InputEvent{kEventResize, 27, 80, 25}));
    MemoryDisplay screen(3, 3);
    screen.Resize(0, -4);  // taken as 1x1
    EXPECT_EQ(1, screen.Width());
    EXPECT_EQ(1, screen.Height());
}

TEST(Console, WindowsOutOfOrderAreCounted) {
    MemoryDisplay screen(10, 4);
    ScriptedInput keys;
    Console console(screen, keys);
    int a = 0, b = 0, c = 0;
    console.OpenWindow(&a);
    console.OpenWindow(&b);
    console.OpenWindow(&c);
    EXPECT_EQ(3, console.OpenWindows());
    EXPECT_TRUE(console.CloseWindow(&c));
    EXPECT_EQ(0, console.WindowOrderFaults());
#ifdef NDEBUG
    EXPECT_FALSE(console.CloseWindow(&a));  // b is still open above it
    EXPECT_EQ(1, console.WindowOrderFaults());
    EXPECT_EQ(1, console.OpenWindows());
    EXPECT_TRUE(console.CloseWindow(&b));
#else
    EXPECT_DEATH(console.CloseWindow(&a), "reverse order");
#endif
}

// The terminal input reports a resize of its terminal as an event with the
// terminal's new size, ahead of the keys typed after it.
TEST(TerminalInput, ResizeOfTheTerminalIsAnEvent) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios modes{};
    ASSERT_EQ(0, tcgetattr(slave, &modes));
    cfmakeraw(&modes);
    tcsetattr(slave, TCSANOW, &modes);
    // The handlers count resizes; nothing is restored on the test's terminal.
    terminal_restore::Arm(slave, slave, modes, std::string());
    terminal_restore::Disarm();

    TerminalInput input(slave, InputParser::Options(), 0);
    winsize size{};
    size.ws_col = 132;
    size.ws_row = 43;
    ASSERT_EQ(0, ioctl(master, TIOCSWINSZ, &size));
    raise(SIGWINCH);
    ASSERT_EQ(1, write(master, "q", 1));
    InputEvent event{};
    input.Read(event, 1000);
    EXPECT_EQ(kEventResize, event.type);
    EXPECT_EQ(132, event.x);
    EXPECT_EQ(43, event.y);
    input.Read(event, 1000);
    EXPECT_EQ(kEventKey, event.type);
    EXPECT_EQ('q', event.key);
    input.Read(event, 0);  // reported once
    EXPECT_EQ(kEventNone, event.type);
    close(slave);
    close(master);
}
