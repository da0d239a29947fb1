#include "platform/TerminalDisplay.h"

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>
#include <term.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "base/CodePage437.h"
#include "platform/Osc52.h"
#include "platform/SystemHooks.h"
#include "platform/TerminalRestore.h"

// term.h defines macros named after terminfo capabilities; keep them out of the way.
#undef lines
#undef columns

namespace {

// Mouse reporting: button events, drags, SGR coordinates.
constexpr char kMouseOn[] = "\033[?1000h\033[?1002h\033[?1006h";
constexpr char kMouseOff[] = "\033[?1006l\033[?1002l\033[?1000l";
// Bracketed paste: a paste arrives between ESC [ 200 ~ and ESC [ 201 ~.
constexpr char kPasteOn[] = "\033[?2004h";
constexpr char kPasteOff[] = "\033[?2004l";

// What the terminal shows of a cell: character | attribute << 8, or kUnknown.
constexpr uint32_t kUnknown = 0xFFFFFFFF;
uint32_t Packed(Cell cell) { return cell.ch | (static_cast<uint32_t>(cell.attr) << 8); }

termios originalModes;
SCREEN* cursesScreen = nullptr;
bool mouseOn = false;

void WriteAll(const char* text) {
    size_t length = std::strlen(text);
    while (length > 0) {
        ssize_t n = write(STDOUT_FILENO, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<size_t>(n);
    }
}

// Terminfo string capability, empty when the terminal lacks it.
std::string Capability(const char* name) {
    char* value = tigetstr(const_cast<char*>(name));
    if (value == nullptr || value == reinterpret_cast<char*>(-1)) return std::string();
    return std::string(value);
}

bool LocaleIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

// What to draw for a code page byte on a terminal without UTF-8.
char AsciiFallback(uint8_t b) {
    if (b >= 0x20 && b < 0x7F) return static_cast<char>(b);
    if (b >= 0xB0 && b <= 0xB2) return '#';
    if (b == 0xDB || b == 0xFE) return '#';
    if (b == 0xB3 || b == 0xBA) return '|';
    if (b == 0xC4 || b == 0xCD) return '-';
    if (b >= 0xB4 && b <= 0xDA) return '+';
    return b == 0 ? ' ' : '?';
}

}  // namespace

std::unique_ptr<TerminalDisplay> TerminalDisplay::Open(std::string& error) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        error = "standard input and output must be a terminal";
        return nullptr;
    }
    if (tcgetattr(STDIN_FILENO, &originalModes) != 0) {
        error = "cannot read the terminal's modes";
        return nullptr;
    }
    // The terminal type must be known and able to place the cursor, or the
    // screen would be drawn as a stream of garbage.
    const char* type = std::getenv("TERM");
    if (type == nullptr || *type == '\0') {
        error = "TERM is not set: the terminal type is unknown";
        return nullptr;
    }
    int found = 0;
    if (setupterm(type, STDOUT_FILENO, &found) != OK) {
        error = found == -1 ? std::string("no terminal description is installed (terminfo), so the terminal type \"") +
                                  type + "\" is unknown"
                            : std::string("the terminal type \"") + type + "\" (TERM) is unknown";
        return nullptr;
    }
    bool addressable = !Capability("cup").empty();
    del_curterm(cur_term);
    if (!addressable) {
        error = std::string("the terminal type \"") + type +
                "\" (TERM) cannot place the cursor; a full-screen terminal is needed";
        return nullptr;
    }
    std::setlocale(LC_ALL, "");
    if (!LocaleIsUtf8()) std::setlocale(LC_CTYPE, "C.UTF-8");
    bool utf8 = LocaleIsUtf8();

    // Our handlers go in before ncurses starts, so that it keeps its own out.
    terminal_restore::Arm(STDIN_FILENO, STDOUT_FILENO, originalModes, std::string());
    cursesScreen = newterm(nullptr, stdout, stdin);
    if (cursesScreen == nullptr) {
        terminal_restore::Disarm();
        error = std::string("cannot start the terminal of type \"") + type + "\"";
        return nullptr;
    }
    raw();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, FALSE);
    leaveok(stdscr, FALSE);
    scrollok(stdscr, FALSE);

    ColourMode mode = ColourMode::Monochrome;
    if (ColourWanted() && has_colors() && start_color() == OK) {
        if (COLORS >= 16 && COLOR_PAIRS >= 257) mode = ColourMode::Full16;
        else if (COLORS >= 8 && COLOR_PAIRS >= 64) mode = ColourMode::Basic8;
    }

    // Raw input as the parser wants it: every byte at once, no translation.
    termios modes;
    tcgetattr(STDIN_FILENO, &modes);
    modes.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP);
    modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &modes);
    def_prog_mode();

    mouseOn = MouseEnabled();
    std::string restore;
    if (mouseOn) restore += kMouseOff;
    restore += kPasteOff;
    restore += Capability("sgr0");
    restore += Capability("Se");
    restore += Capability("cnorm");
    restore += Capability("rmcup");
    terminal_restore::Arm(STDIN_FILENO, STDOUT_FILENO, originalModes, restore);
    // After a stop (SIGTSTP) the terminal is taken again the same way.
    std::string resume = Capability("smcup");
    if (mouseOn) resume += kMouseOn;
    resume += kPasteOn;
    terminal_restore::ArmResume(modes, resume);

    int width = std::max(1, COLS);
    int height = std::max(1, LINES);
    std::unique_ptr<TerminalDisplay> display(new TerminalDisplay(width, height, mode, utf8));
    refresh();
    if (mouseOn) WriteAll(kMouseOn);
    WriteAll(kPasteOn);
    return display;
}

TerminalDisplay::TerminalDisplay(int width, int height, ColourMode modeArg, bool utf8Arg)
    : CellBuffer(width, height),
      mode(modeArg),
      utf8(utf8Arg),
      shown(static_cast<size_t>(width) * height, kUnknown),
      pairReady(258, false),
      visibleWidth(std::min(width, COLS)),
      visibleHeight(std::min(height, LINES)) {}

TerminalDisplay::~TerminalDisplay() { Restore(); }

void TerminalDisplay::Restore() {
    if (restored) return;
    restored = true;
    if (mouseOn) WriteAll(kMouseOff);
    WriteAll(kPasteOff);
    std::string reset = Capability("Se");
    if (!reset.empty()) putp(reset.c_str());
    curs_set(1);
    endwin();
    delscreen(cursesScreen);
    cursesScreen = nullptr;
    fflush(stdout);
    tcsetattr(STDIN_FILENO, TCSANOW, &originalModes);
    terminal_restore::Disarm();
}

void TerminalDisplay::SetCursorPosition(int x, int y) {
    cursorX = x;
    cursorY = y;
}

void TerminalDisplay::SetCursorShape(int size) { cursorShape = size; }

void TerminalDisplay::ApplyResize() {
    winsize size;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return;
    Resize(size.ws_col, size.ws_row);
}

void TerminalDisplay::Resize(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (restored) return;
    if (width != COLS || height != LINES) resizeterm(height, width);
    CellBuffer::Resize(width, height);
    shown.assign(static_cast<size_t>(Width()) * Height(), kUnknown);
    visibleWidth = std::min(Width(), COLS);
    visibleHeight = std::min(Height(), LINES);
    Repaint();
}

void TerminalDisplay::Repaint() {
    std::fill(shown.begin(), shown.end(), kUnknown);
    erase();
    clearok(curscr, TRUE);
    changed = true;
}

void TerminalDisplay::DrawCell(int x, int y, Cell cell) {
    CellStyle style = StyleOf(cell.attr, mode);
    attr_t attrs = A_NORMAL;
    if (style.bold) attrs |= A_BOLD;
    if (style.dim) attrs |= A_DIM;
    if (style.reverse) attrs |= A_REVERSE;
    int pair = style.pair;
    if (pair > 0 && pair < static_cast<int>(pairReady.size()) && !pairReady[static_cast<size_t>(pair)]) {
        init_extended_pair(pair, style.foreground, style.background);
        pairReady[static_cast<size_t>(pair)] = true;
    }
    uint8_t ch = style.blankText ? ' ' : cell.ch;
    if (utf8) {
        wchar_t text[2] = {static_cast<wchar_t>(cp437::ToUnicode(ch)), 0};
        cchar_t wide;
        setcchar(&wide, text, attrs, 0, &pair);
        mvadd_wch(y, x, &wide);
    } else {
        attr_set(attrs, 0, &pair);
        mvaddch(y, x, static_cast<chtype>(static_cast<unsigned char>(AsciiFallback(ch))));
    }
}

void TerminalDisplay::ApplyCursor() {
    bool visible = cursorShape != 0 && cursorX >= 0 && cursorY >= 0 && cursorX < visibleWidth &&
                   cursorY < visibleHeight;
    if (visible) move(cursorY, cursorX);
    int wanted = visible ? cursorShape : 0;
    if (wanted == shownShape) return;
    shownShape = wanted;
    if (wanted == 0) {
        curs_set(0);
        return;
    }
    curs_set(1);
    // A block for the overwrite cursor where the terminal can change the shape.
    std::string shape = Capability("Ss");
    if (wanted >= 50 && !shape.empty()) {
        putp(tiparm(shape.c_str(), 2));
    } else {
        std::string reset = Capability("Se");
        if (!reset.empty()) putp(reset.c_str());
    }
}

void TerminalDisplay::Flush() {
    if (restored) return;
    if (terminal_restore::TakeResize()) ApplyResize();
    if (terminal_restore::TakeRepaint()) {
        // Continued after a stop: the terminal shows the shell's screen and cursor.
        Repaint();
        curs_set(1);
        shownShape = -1;
        flushedShape = -1;
    }
    // Long loops flush often (every EscapePressed); with nothing new, do nothing.
    if (!changed && cursorX == flushedCursorX && cursorY == flushedCursorY && cursorShape == flushedShape) {
        SendClipboard();
        return;
    }
    flushedCursorX = cursorX;
    flushedCursorY = cursorY;
    flushedShape = cursorShape;
    if (changed) {
        const std::vector<Cell>& buffer = Cells();
        for (int y = 0; y < visibleHeight; ++y) {
            for (int x = 0; x < visibleWidth; ++x) {
                size_t i = static_cast<size_t>(y) * Width() + x;
                if (Packed(buffer[i]) == shown[i]) continue;
                DrawCell(x, y, buffer[i]);
                shown[i] = Packed(buffer[i]);
            }
        }
        changed = false;
    }
    ApplyCursor();
    refresh();
    SendClipboard();
}

void TerminalDisplay::SetClipboard(const uint8_t* text, int n) {
    // Sent with the next flush, after the screen's own output.
    pendingClipboard = Osc52Sequence(cp437::ToUtf8(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(n))));
    clipboardWaiting = true;
}

void TerminalDisplay::SendClipboard() {
    if (!clipboardWaiting) return;
    clipboardWaiting = false;
    if (!pendingClipboard.empty()) WriteAll(pendingClipboard.c_str());
    pendingClipboard.clear();
}
