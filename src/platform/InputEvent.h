#pragma once
// InputEvent: one key or mouse action in the program's vocabulary.
//
// type   kEventKey: key holds the key code (platform/KeyCodes.h): a character 1..255,
//        or 1000 + PC scan code (+1000 more with Shift) for keys without one.
//        Mouse types: key is -1 and (x, y) is the mouse cell in screen coordinates.
//        kEventNone: nothing arrived within the time-out.
//        kEventPaste: text arrived as one paste (see below).
//        kEventResize: the terminal changed size; key is -1 and (x, y) is the
//        new width and height in cells (the console's display takes it).
// Types 10 and 11 are reserved for dialogs talking to their text fields.
// Wheel steps (kEventWheelUp, kEventWheelDown) carry the mouse cell like the
// other mouse events; windows that do not scroll ignore them.

#include <cstdint>
#include <string>

struct InputEvent {
    uint8_t type;
    int key;
    int x;
    int y;
    // kEventPaste: the pasted text in code page 437.
    std::string text = std::string();
};

constexpr uint8_t kEventKey = 1, kEventLeftPress = 2, kEventDoubleClick = 3, kEventLeftRelease = 4,
                  kEventLeftDrag = 5, kEventRightPress = 6, kEventRightRelease = 7, kEventNone = 14,
                  kEventResize = 15, kEventWheelUp = 17, kEventWheelDown = 18;

// A terminal paste (bracketed paste), delivered as one event: key is 0,
// text holds what was pasted. Windows that take no text ignore it.
constexpr uint8_t kEventPaste = 16;

// True for the types an input source may deliver (1 to 7, 14 to 18) with a
// consistent key: a key event has a code > 0, a mouse or wheel event has key
// -1, a resize has key -1 and a size of at least one cell, a paste key 0.
inline bool IsValidInputEvent(const InputEvent& event) {
    if (event.type == kEventKey) return event.key > 0;
    if (event.type >= kEventLeftPress && event.type <= kEventRightRelease) return event.key == -1;
    if (event.type == kEventWheelUp || event.type == kEventWheelDown) return event.key == -1;
    if (event.type == kEventResize) return event.key == -1 && event.x >= 1 && event.y >= 1;
    if (event.type == kEventPaste) return event.key == 0;
    return event.type == kEventNone;
}
