#include "ui/PushButton.h"

#include "ui/Dialog.h"
#include "ui/KeyCodes.h"

PushButton::PushButton(Dialog& owner, int x_, int y_, int groupFlags, int code_, const Estring& label_)
    : Control(owner, x_, y_, groupFlags), code(code_), label(label_) {
    hotKey = code;
    if (owner.DefaultCode() == 0) owner.SetDefaultCode(code);
}

bool PushButton::Covers(const InputEvent& event) const {
    return event.y == y && event.x >= x && event.x < x + CellWidth();
}

int PushButton::HandleEvent(InputEvent& event) {
    switch (event.type) {
        case kEventKey:
            if (event.key == kKeySpace || event.key == kKeyEnter) {
                dialog.SetResult(code);
                return 1;
            }
            return 0;
        case kEventLeftPress:
        case kEventDoubleClick:
            if (!Covers(event)) return 0;
            dialog.SetFocus(index);
            return 1;
        case kEventLeftRelease:
            if (!Covers(event)) return 0;
            dialog.SetResult(code);
            return 1;
        case kEventLeftDrag: return Covers(event) ? 1 : 0;
        default: return 0;
    }
}

void PushButton::Activate() { dialog.SetResult(code); }

void PushButton::Draw() {
    int colour = !enabled ? dialog.Colour(kColourDisabled)
                          : HasFocus() ? dialog.Colour(kColourButtonFocus) : dialog.Colour(kColourWindow);
    char letter[2] = {static_cast<char>(enabled ? dialog.HotLetter(index) : 0), 0};
    dialog.WriteHotText(x, y, "[ " + label + " ]", letter, colour);
}
