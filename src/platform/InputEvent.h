#pragma once
// InputEvent: one key or mouse action in the program's vocabulary.
//
// type   kEventKey: key holds the key code (platform/KeyCodes.h): a character 1..255,
//        or 1000 + PC scan code (+1000 more with Shift) for keys without one.
//        Mouse types: key is -1 and (x, y) is the mouse cell in screen coordinates.
//        kEventNone: nothing arrived within the time-out.
//        kEventResize: the terminal changed size; key is -1 and (x, y) is the
//        new width and height in cells (the console's display takes it).
// Types 10 and 11 are reserved for dialogs talking to their text fields.

#include <cstdint>

struct InputEvent {
    uint8_t type;
    int key;
    int x;
    int y;
};

constexpr uint8_t kEventKey = 1, kEventLeftPress = 2, kEventDoubleClick = 3, kEventLeftRelease = 4,
                  kEventLeftDrag = 5, kEventRightPress = 6, kEventRightRelease = 7, kEventNone = 14,
                  kEventResize = 15;

// True for the types an input source may deliver (1 to 7, 14 and 15) with a
// consistent key: a key event has a code > 0, a mouse event has key -1, a
// resize has key -1 and a size of at least one cell.
inline bool IsValidInputEvent(const InputEvent& event) {
    if (event.type == kEventKey) return event.key > 0;
    if (event.type >= kEventLeftPress && event.type <= kEventRightRelease) return event.key == -1;
    if (event.type == kEventResize) return event.key == -1 && event.x >= 1 && event.y >= 1;
    return event.type == kEventNone;
}
