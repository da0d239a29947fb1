#pragma once
// StaticText: a label that never takes the focus.
//
// Placement: x < 0 centres the text on its row of the whole window (a
// dialog's title is a StaticText at (-1, -1), on the top frame line);
// otherwise the text is aligned within width cells from x: 0 left,
// 1 centred, 2 right. Callers keep an aligned text within its width.
// Colour: attribute, or the dialog's attribute when 0; disabled, colours[17].

#include "base/Estring.h"
#include "ui/Control.h"

class StaticText : public Control {
public:
    StaticText(Dialog& dialog, int x, int y, const Estring& text, int width, int alignment, int attribute);

    int Kind() const override { return kKindStaticText; }
    void Draw() override;

    const Estring& Text() const { return text; }
    // Replaces the text and draws it (blanking what the old text covered).
    void SetText(const Estring& value);

protected:
    // Column where the text starts, relative to the dialog's origin.
    int StartColumn() const;

    Estring text;
    int width;
    int alignment;
    int attribute;
};
