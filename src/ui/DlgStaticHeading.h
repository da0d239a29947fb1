#pragma once
// DlgStaticHeading: a heading written on the dialog's frame, " text ".
// Positions 0, 1, 2: top frame line, left / centred / right; 3, 4, 5: the
// same on the bottom frame line. Colour: the dialog's colours[9].

#include "ui/StaticText.h"

class DlgStaticHeading : public StaticText {
public:
    DlgStaticHeading(Dialog& dialog, const Estring& text, int position);

    int Kind() const override { return kKindStaticHeading; }
    void Draw() override;
};
