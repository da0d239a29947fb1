#pragma once
// CheckBox: "[X]" or "[ ]" bound to a caller's flag, with a label on the
// right (from x + 5) or on the left (ending two cells before x).
// Space toggles, Insert sets, Delete clears; a left-button release on the
// box or its label toggles, a press takes the focus; the hot key (Alt hot
// letter) takes the focus and toggles. The text cursor stands in the box.
// Colours: the box in colours[0] (colours[17] disabled), the label in colours[19].

#include <cstdint>

#include "base/Estring.h"
#include "ui/Control.h"

class CheckBox : public Control {
public:
    // Exactly one of byteFlag / boolFlag is set.
    CheckBox(Dialog& dialog, int x, int y, int groupFlags, uint8_t* byteFlag, bool* boolFlag, const Estring& label,
             bool labelRight);

    int Kind() const override { return kKindCheckBox; }
    int HandleEvent(InputEvent& event) override;
    void Activate() override;
    void Draw() override;

    bool Checked() const;

private:
    void Set(bool value);
    int LabelColumn() const { return labelRight ? x + 5 : x - label.Length() - 2; }
    bool Covers(const InputEvent& event) const;

    uint8_t* byteFlag;
    bool* boolFlag;
    Estring label;
    bool labelRight;
};
