#pragma once
// PushButton: "[ label ]". Space or Enter on it, its hot key (its code),
// its Alt hot letter or a left-button release on its cells ends the dialog
// with its code; a press on it takes the focus.
// Colour: colours[5] with the focus, colours[0] without, colours[17] disabled.

#include "base/Estring.h"
#include "ui/Control.h"

class PushButton : public Control {
public:
    PushButton(Dialog& dialog, int x, int y, int groupFlags, int code, const Estring& label);

    int Kind() const override { return kKindPushButton; }
    int HandleEvent(InputEvent& event) override;
    void Activate() override;
    void Draw() override;

    int Code() const { return code; }
    const Estring& Label() const { return label; }
    // Cells the button covers: the label and "[ " and " ]".
    int CellWidth() const { return label.Length() + 4; }

private:
    bool Covers(const InputEvent& event) const;

    int code;
    Estring label;
};
