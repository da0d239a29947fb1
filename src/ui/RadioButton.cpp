#include "ui/RadioButton.h"

#include "ui/Dialog.h"

RadioButton::RadioButton(Dialog& owner, int x_, int y_, int groupFlags, int& variable_, int value_,
                         const Estring& label_)
    : Control(owner, x_, y_, groupFlags), variable(variable_), value(value_), label(label_) {
    hotKey = owner.HotLetter(index);
    // The selected button is where its group is entered, so that opening the
    // dialog (or Tab into the group) keeps the caller's choice.
    if (variable == value && group != index) owner.ControlAt(group).groupCurrent = index;
}

bool RadioButton::Covers(const InputEvent& event) const {
    return event.y == y && event.x >= x && event.x < x + 4 + label.Length();
}

int RadioButton::HandleEvent(InputEvent& event) {
    switch (event.type) {
        case kEventLeftPress:
        case kEventDoubleClick:
        case kEventLeftRelease:
        case kEventLeftDrag:
            if (!Covers(event)) return 0;
            dialog.SetFocus(index);
            return 1;
        default: return 0;
    }
}

void RadioButton::FocusChanged(bool gained) {
    if (gained && variable != value) {
        variable = value;
        // The other buttons of the group show the change too.
        for (int i = group; i < dialog.ControlCount() && dialog.ControlAt(i).Group() == group; ++i)
            if (i != index) dialog.Redraw(i);
    }
    Draw();
}

void RadioButton::Draw() {
    int colour = enabled ? dialog.Colour(kColourWindow) : dialog.Colour(kColourDisabled);
    char mark[4] = {'(', static_cast<char>(variable == value ? 0x07 : ' '), ')', 0};
    dialog.WriteText(x, y, mark, colour);
    char letter[2] = {static_cast<char>(enabled ? dialog.HotLetter(index) : 0), 0};
    dialog.WriteHotText(x + 4, y, label, letter, colour);
    if (HasFocus()) {
        dialog.WindowConsole().SetCursorShape(dialog.CursorSize());
        dialog.SetCursor(x + 1, y);
    }
}
