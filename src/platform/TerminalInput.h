#pragma once
// TerminalInput: key and mouse events read from the terminal's bytes.
//
// Bytes are read as they come (poll + read on the input descriptor) and fed
// to an InputParser. An unfinished sequence (a lone Esc above all) is settled
// when no further byte arrives within the Esc delay (ESCDELAY, 50 ms by
// default); a read waits out that delay even when its own time-out is shorter,
// because the event has already begun to arrive.
//
// When the input ends (the terminal is gone), every read answers Esc after a
// short pause, so that the open windows close one by one and the program ends.
// A resize of the terminal (SIGWINCH) is read as a kEventResize event with the
// terminal's new size, before any key that came after it. Other signals wake
// a waiting read, which flushes the console display (repainting it after a
// stop) and goes on waiting.

#include "platform/InputParser.h"
#include "platform/InputSource.h"

class TerminalInput : public InputSource {
public:
    // Reads fd (not owned, not closed). The Esc delay and the mouse setting
    // come from the environment (platform/SystemHooks.h) unless given.
    explicit TerminalInput(int fd);
    TerminalInput(int fd, const InputParser::Options& options, int escapeDelayMs);

    void Read(InputEvent& event, int timeoutMs) override;
    bool Pending() override;

private:
    // Waits up to waitMs (-1: without limit) for bytes and feeds them; false on time-out.
    bool Fill(int waitMs);
    // A resize not yet reported, as its event.
    bool TakeResize(InputEvent& event);

    int fd;
    InputParser parser;
    int escapeDelayMs;
    int64_t lastByteMs = 0;
    bool ended = false;
    int seenResizes = 0;
};
