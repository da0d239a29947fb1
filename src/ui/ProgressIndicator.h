#pragma once
// ProgressIndicator: a gauge of width cells for the caller's fraction
// (0 to 1): full blocks (0xDB) for width * fraction cells, truncated and
// limited to the width, light shade (0xB0) for the rest, in the dialog's
// attribute. It draws only when the number of filled cells changed, so
// callers may redraw it after every unit of work.

#include "ui/Control.h"

class ProgressIndicator : public Control {
public:
    ProgressIndicator(Dialog& dialog, int x, int y, int width, float& fraction);

    int Kind() const override { return kKindProgressIndicator; }
    void Draw() override;

    // The filled cells for fraction over width cells.
    static int FilledCells(float fraction, int width);
    int DrawnFilled() const { return drawnFilled; }

private:
    float& fraction;
    int width;
    int drawnFilled = -1;
};
