#include "ui/DlgStaticHeading.h"

#include "ui/Dialog.h"

DlgStaticHeading::DlgStaticHeading(Dialog& owner, const Estring& title, int position)
    : StaticText(owner, 0, position < 3 ? -1 : owner.InnerHeight(), " " + title + " ", owner.InnerWidth(),
                 position % 3, 0) {}

void DlgStaticHeading::Draw() {
    int colour = enabled ? dialog.Colour(kColourHeading) : dialog.Colour(kColourDisabled);
    // A heading wider than the inside of the frame is cut to it.
    Estring shown = text.Left(width);
    int column = StartColumn();
    if (column < 0) column = 0;
    dialog.WriteText(column, y, shown, colour);
}
