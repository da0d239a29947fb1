#pragma once
// InputParser: turns the bytes a terminal sends into InputEvents with the
// program's key codes (platform/KeyCodes.h). It is a byte-fed state machine with no
// clock and no terminal of its own: the caller feeds each byte with the time
// it arrived, and calls Expire() when no further byte came within the Esc
// delay, which settles a lone Esc (and ESC O / ESC [ as Alt-O / Alt-[).
//
// Understood forms:
//   characters: ASCII, UTF-8 mapped to its code page 437 byte (dropped when
//     the code page has none or only a control glyph), control bytes as
//     Ctrl-letters; the terminal's erase byte is Backspace (8) and the other
//     of 0x08/0x7F is Ctrl-Backspace (127);
//   ESC + key: Alt with that key (Alt-X 1045, Alt-Shift-X 2045, Alt-1 1002);
//   CSI: xterm/tmux cursor and editing keys with modifiers (CSI 1;m A,
//     CSI n;m ~), the Linux console's F1-F5 (CSI [ A..E) and Shift-F3..F10
//     (CSI 25~ .. 34~), rxvt's $ ^ @ suffixes and CSI a-d, Shift-Tab (CSI Z),
//     xterm modifyOtherKeys (CSI 27;m;c ~) and CSI c;m u;
//   SS3: F1-F4, cursor keys, the application keypad;
//   mouse: SGR 1006 (CSI < b;x;y M/m) and the X10 form (CSI M b x y);
//   bracketed paste: everything between CSI 200 ~ and CSI 201 ~ is one
//     kEventPaste (UTF-8 mapped to the code page, at most kMaxPaste bytes
//     kept). Inside a paste the caller waits kPasteIdleMs (SettleDelayMs)
//     before Expire; a paste still open then had no end and its bytes are
//     read as ordinary input. A lone CSI 201 ~ is dropped.
// Unknown or malformed sequences are dropped whole; no input can make the
// parser emit an event that is not IsValidInputEvent().
//
// Mouse: left press 2 (double click 3 when the previous left press was on the
// same cell less than kDoubleClickMs before), left drag 5 (only when the cell
// changes), left release 4, right press 6, right release 7, wheel up and down
// (SGR buttons 64 and 65) as kEventWheelUp / kEventWheelDown at the mouse
// cell; the sideways wheel, the middle button and right drags are dropped.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/InputEvent.h"

class InputParser {
public:
    static constexpr int kDoubleClickMs = 400;
    static constexpr int kMaxSequence = 64;
    static constexpr size_t kMaxPaste = 1 << 16;
    static constexpr int kPasteIdleMs = 500;

    enum class Result { Accepted, Rejected, NeedMore };

    struct Options {
        uint8_t eraseByte = 0x7F;  // what the terminal sends for Backspace
        bool mouse = true;         // false drops every mouse report
    };

    InputParser();
    explicit InputParser(const Options& options);

    // One byte received at nowMs (any monotonic millisecond clock).
    void Feed(uint8_t byte, int64_t nowMs);
    void Feed(const uint8_t* bytes, int n, int64_t nowMs);
    // No more bytes are coming for now: settles what is pending.
    void Expire(int64_t nowMs);
    // Bytes of an unfinished sequence are held back (Expire will settle them).
    bool HasIncomplete() const { return !pending.empty() || pasting; }
    // How long to wait for more bytes before calling Expire: the Esc delay,
    // or longer inside a paste.
    int SettleDelayMs(int escapeDelayMs) const;
    bool HasEvents() const { return !events.empty(); }
    // Takes the oldest finished event; false when there is none.
    bool Next(InputEvent& event);

    // Parses the start of data without changing any state. final: no more
    // bytes will follow (never answers NeedMore then). On Accepted, event is
    // filled (a mouse report has type kEventRawMouse, see below); on
    // Accepted and Rejected, consumed is the number of bytes used (>= 1).
    Result Parse(const uint8_t* data, int n, bool final, InputEvent& event, int& consumed) const;

    // Type of Parse's mouse reports before the click logic: key holds the SGR
    // button code, plus kRawRelease for a release; x, y are zero-based.
    static constexpr uint8_t kEventRawMouse = 200;
    static constexpr int kRawRelease = 1 << 16;
    // Type of Parse's report of CSI 200 ~, the start of a paste.
    static constexpr uint8_t kEventRawPasteStart = 201;
    static constexpr int kPasteStartNumber = 200;
    static constexpr int kPasteEndNumber = 201;

private:
    Result ParseEscape(const uint8_t* data, int n, bool final, InputEvent& event, int& consumed) const;
    // extraMods: modifier bits already known (Alt for ESC ESC [ ...).
    Result ParseCsi(const uint8_t* data, int n, bool final, InputEvent& event, int& consumed, int extraMods) const;
    Result ParseSs3(const uint8_t* data, int n, bool final, InputEvent& event, int& consumed, int extraMods) const;
    Result ParseCharacter(const uint8_t* data, int n, bool final, int& key, int& consumed) const;
    int ControlKey(uint8_t byte) const;
    void Drain(bool final, int64_t nowMs);
    // Takes paste bytes from pending[start]; returns where it stopped.
    size_t TakePaste(size_t start, int64_t nowMs);
    void AppendPaste(const char* bytes, int n);
    void FinishPaste();
    // Applies the click logic to a raw mouse report; false when it is dropped.
    bool CookMouse(InputEvent& event, int64_t nowMs);

    Options options;
    std::vector<uint8_t> pending;
    std::deque<InputEvent> events;
    bool skipping = false;  // dropping the tail of an over-long sequence
    // Mouse state.
    bool leftDown = false;
    bool rightDown = false;
    bool clickArmed = false;
    int64_t lastPressMs = 0;
    int lastPressX = -1, lastPressY = -1;
    int lastX = -1, lastY = -1;
    // Paste state.
    bool pasting = false;
    std::string paste;   // UTF-8 as received
    int pasteMatch = 0;  // bytes of the terminator seen so far
    int64_t pasteLastMs = 0;
};
