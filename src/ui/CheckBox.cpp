#include "ui/CheckBox.h"

#include "ui/Dialog.h"
#include "ui/KeyCodes.h"

CheckBox::CheckBox(Dialog& owner, int x_, int y_, int groupFlags, uint8_t* byteFlag_, bool* boolFlag_,
                   const Estring& label_, bool labelRight_)
    : Control(owner, x_, y_, groupFlags), byteFlag(byteFlag_), boolFlag(boolFlag_), label(label_),
      labelRight(labelRight_) {}

bool CheckBox::Checked() const { return byteFlag != nullptr ? *byteFlag != 0 : boolFlag != nullptr && *boolFlag; }

void CheckBox::Set(bool value) {
    if (byteFlag != nullptr) *byteFlag = value ? 1 : 0;
    if (boolFlag != nullptr) *boolFlag = value;
    Draw();
}

bool CheckBox::Covers(const InputEvent& event) const {
    if (event.y != y) return false;
    if (event.x >= x && event.x < x + 3) return true;
    int from = LabelColumn();
    return event.x >= from && event.x < from + label.Length();
}

int CheckBox::HandleEvent(InputEvent& event) {
    switch (event.type) {
        case kEventKey:
            switch (event.key) {
                case kKeySpace: Set(!Checked()); return 1;
                case kKeyInsert: Set(true); return 1;
                case kKeyDelete: Set(false); return 1;
                default: return 0;
            }
        case kEventLeftPress:
        case kEventDoubleClick:
            if (!Covers(event)) return 0;
            dialog.SetFocus(index);
            return 1;
        case kEventLeftRelease:
            if (!Covers(event)) return 0;
            dialog.SetFocus(index);
            Set(!Checked());
            return 1;
        case kEventLeftDrag: return Covers(event) ? 1 : 0;
        default: return 0;
    }
}

void CheckBox::Activate() {
    dialog.SetFocus(index);
    Set(!Checked());
}

void CheckBox::Draw() {
    int colour = enabled ? dialog.Colour(kColourWindow) : dialog.Colour(kColourDisabled);
    Estring box = Checked() ? "[X]" : "[ ]";
    dialog.WriteText(x, y, box, colour);
    int labelColour = enabled ? dialog.Colour(kColourCheckBoxLabel) : dialog.Colour(kColourDisabled);
    char letter[2] = {static_cast<char>(enabled ? dialog.HotLetter(index) : 0), 0};
    dialog.WriteHotText(LabelColumn(), y, label, letter, labelColour);
    if (HasFocus()) {
        dialog.WindowConsole().SetCursorShape(dialog.CursorSize());
        dialog.SetCursor(x + 1, y);
    }
}
