#pragma once
// ProgressWindow: the small window a long operation (bulk changes, export,
// import) shows while it works, and its way of offering to cancel.
//
//   ProgressWindow progress(" Export ", "Records written:", ProgressWindow::kCounter);
//   for (...) {
//       ... one unit of work ...
//       progress.SetCount(done);                       // or SetFraction(done / total)
//       if (progress.CancelRequested("Cancel Export?")) break;
//   }
//
// The window (50 x 6, centred, a third of the way down, in the dialog
// colour) shows the title on its frame, the label, then either the count
// after the label or a gauge below it, and "Press Esc to cancel". It closes
// (restoring the screen) when the object is destroyed.

#include "base/Estring.h"
#include "ui/Dialog.h"

class ProgressWindow {
public:
    enum Style { kCounter, kGauge };
    static constexpr int kWidth = 50;
    static constexpr int kGaugeWidth = 46;

    ProgressWindow(const Estring& title, const Estring& label, Style style);

    // Shows the count (counter style); shown only when it changed.
    void SetCount(long long count);
    // Moves the gauge to fraction (0 to 1; gauge style); drawn only when a cell changes.
    void SetFraction(float fraction);
    // Takes one waiting input event, if any. When it is Esc, asks question
    // (Ok / Cancel): true when the user agreed to stop. False at once when
    // nothing is waiting.
    bool CancelRequested(const Estring& question);

    Dialog& Window() { return dialog; }

private:
    Dialog dialog;
    Style style;
    Estring label;
    int textIndex = -1;
    int gaugeIndex = -1;
    float fraction = 0.0f;
    long long shownCount = -1;
};
