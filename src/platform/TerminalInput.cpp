#include "platform/TerminalInput.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/Console.h"
#include "platform/KeyCodes.h"
#include "platform/SystemHooks.h"
#include "platform/TerminalRestore.h"

namespace {

constexpr int kEndedPauseMs = 10;

InputParser::Options OptionsFromTerminal(int fd) {
    InputParser::Options options;
    options.mouse = MouseEnabled();
    termios modes;
    // The erase character says which byte the Backspace key sends.
    if (tcgetattr(fd, &modes) == 0 && (modes.c_cc[VERASE] == 0x08 || modes.c_cc[VERASE] == 0x7F))
        options.eraseByte = modes.c_cc[VERASE];
    return options;
}

}  // namespace

TerminalInput::TerminalInput(int fdArg) : TerminalInput(fdArg, OptionsFromTerminal(fdArg), EscapeDelayMs()) {}

TerminalInput::TerminalInput(int fdArg, const InputParser::Options& options, int escapeDelay)
    : fd(fdArg), parser(options), escapeDelayMs(escapeDelay), seenResizes(terminal_restore::ResizeCount()) {}

bool TerminalInput::Fill(int waitMs) {
    if (ended) return false;
    pollfd request{fd, POLLIN, 0};
    int ready = poll(&request, 1, waitMs);
    if (ready < 0) {
        // A signal: after a stop the screen wants repainting (a resize comes back as an event).
        if (errno == EINTR) ConsoleDisplay().Flush();
        return false;
    }
    if (ready == 0) return false;
    uint8_t bytes[256];
    ssize_t n = read(fd, bytes, sizeof bytes);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return false;
    if (n <= 0) {
        ended = true;
        return false;
    }
    lastByteMs = NowMs();
    parser.Feed(bytes, static_cast<int>(n), lastByteMs);
    return true;
}

bool TerminalInput::TakeResize(InputEvent& event) {
    int count = terminal_restore::ResizeCount();
    if (count == seenResizes) return false;
    seenResizes = count;
    winsize size;
    if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return false;
    event = InputEvent{kEventResize, -1, size.ws_col, size.ws_row};
    return true;
}

void TerminalInput::Read(InputEvent& event, int timeoutMs) {
    const int64_t start = NowMs();
    for (;;) {
        if (TakeResize(event)) return;
        if (parser.Next(event)) return;
        const int64_t now = NowMs();
        if (parser.HasIncomplete()) {
            int64_t settle = lastByteMs + parser.SettleDelayMs(escapeDelayMs) - now;
            if (settle <= 0 || ended) {
                parser.Expire(now);
                continue;
            }
            Fill(static_cast<int>(settle));
            continue;
        }
        if (ended) {
            usleep(kEndedPauseMs * 1000);
            event = InputEvent{kEventKey, kKeyEsc, 0, 0};
            return;
        }
        int wait = -1;
        if (timeoutMs >= 0) {
            int64_t left = start + timeoutMs - now;
            if (left <= 0) {
                // Time is up, but bytes already waiting are input, not a time-out.
                if (Fill(0)) continue;
                event = InputEvent{kEventNone, 0, 0, 0};
                return;
            }
            wait = static_cast<int>(std::min<int64_t>(left, 1 << 30));
        }
        Fill(wait);
    }
}

bool TerminalInput::Pending() {
    while (Fill(0)) {
    }
    return parser.HasEvents() || parser.HasIncomplete() || ended;
}
