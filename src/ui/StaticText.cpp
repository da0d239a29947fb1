#include "ui/StaticText.h"

#include "ui/Dialog.h"

StaticText::StaticText(Dialog& owner, int x_, int y_, const Estring& text_, int width_, int alignment_,
                       int attribute_)
    : Control(owner, x_, y_, 0), text(text_), width(width_), alignment(alignment_), attribute(attribute_) {
    focusable = false;
}

int StaticText::StartColumn() const {
    if (x < 0) {
        // Centred on the whole window's row, frame included.
        int column = (dialog.Width() - text.Length()) / 2;
        return column - (dialog.OriginX() - dialog.Left());
    }
    switch (alignment) {
        case 1: return x + (width - text.Length()) / 2;
        case 2: return x + width - text.Length();
        default: return x;
    }
}

void StaticText::Draw() {
    int colour = !enabled ? dialog.Colour(kColourDisabled) : attribute != 0 ? attribute : dialog.Colour(kColourWindow);
    dialog.WriteText(StartColumn(), y, text, colour);
}

void StaticText::SetText(const Estring& value) {
    // Blank the old text's cells in the dialog's attribute first.
    dialog.WriteText(StartColumn(), y, Estring(' ', text.Length()), dialog.Colour(kColourWindow));
    text = value;
    Draw();
}
