#pragma once
// RadioButton: "(" mark ")" bound to a caller's int and an own value, label
// from x + 4. The mark (byte 0x07) shows while the variable equals the own
// value. Taking the focus selects it, so the arrows choose within the group;
// a press takes the focus. The hot key is the button's Alt hot letter as a
// plain letter, read when the button is created (set the dialog's hot
// letters before adding its radio buttons).

#include "base/Estring.h"
#include "ui/Control.h"

class RadioButton : public Control {
public:
    RadioButton(Dialog& dialog, int x, int y, int groupFlags, int& variable, int value, const Estring& label);

    int Kind() const override { return kKindRadioButton; }
    int HandleEvent(InputEvent& event) override;
    void FocusChanged(bool gained) override;
    void Draw() override;

private:
    bool Covers(const InputEvent& event) const;

    int& variable;
    int value;
    Estring label;
};
