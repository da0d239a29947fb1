#include "ui/ProgressIndicator.h"

#include "ui/Dialog.h"

ProgressIndicator::ProgressIndicator(Dialog& owner, int x_, int y_, int width_, float& fraction_)
    : Control(owner, x_, y_, 0), fraction(fraction_), width(width_ < 0 ? 0 : width_) {
    focusable = false;
}

int ProgressIndicator::FilledCells(float value, int cells) {
    // Not-a-number and negative fractions show an empty gauge.
    if (!(value > 0.0f)) return 0;
    double filled = static_cast<double>(cells) * static_cast<double>(value);
    if (filled >= cells) return cells;
    return static_cast<int>(filled);
}

void ProgressIndicator::Draw() {
    int filled = FilledCells(fraction, width);
    if (filled == drawnFilled) return;
    int colour = dialog.Colour(kColourWindow);
    dialog.FillText(x, y, 0xDB, filled, colour);
    dialog.FillText(x + filled, y, 0xB0, width - filled, colour);
    drawnFilled = filled;
}
