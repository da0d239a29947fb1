#pragma once
// ScriptedInput: an input source fed by the test that owns it.
//
// Events are delivered in the order pushed. When the script has run dry, a
// read with a time-out answers kEventNone at once, and a read without limit
// answers Esc (27), so a window under test can never hang waiting for a key.

#include <deque>

#include "platform/InputSource.h"

class ScriptedInput : public InputSource {
public:
    void PushKey(int key) { events.push_back(InputEvent{kEventKey, key, 0, 0}); }
    // Every byte of a code page 437 text as a key (the terminator excluded).
    void PushText(const char* cp437Text) {
        for (const char* p = cp437Text; *p != 0; ++p) PushKey(static_cast<unsigned char>(*p));
    }
    void PushMouse(uint8_t type, int x, int y) { events.push_back(InputEvent{type, -1, x, y}); }
    // A time-out, delivered in order like any event (e.g. one idle poll).
    void PushTimeout() { events.push_back(InputEvent{kEventNone, 0, 0, 0}); }
    void PushEvent(const InputEvent& event) { events.push_back(event); }
    // The terminal changing to width x height cells.
    void PushResize(int width, int height) { events.push_back(InputEvent{kEventResize, -1, width, height}); }

    void Read(InputEvent& event, int timeoutMs) override {
        ++reads;
        if (!events.empty()) {
            event = events.front();
            events.pop_front();
            return;
        }
        ++dryReads;
        event = timeoutMs < 0 ? InputEvent{kEventKey, 27, 0, 0} : InputEvent{kEventNone, 0, 0, 0};
    }
    bool Pending() override { return !events.empty(); }

    // Events not yet read.
    int Remaining() const { return static_cast<int>(events.size()); }
    // Reads so far, and how many of them found the script empty.
    int Reads() const { return reads; }
    int DryReads() const { return dryReads; }
    void Clear() { events.clear(); }

private:
    std::deque<InputEvent> events;
    int reads = 0;
    int dryReads = 0;
};
