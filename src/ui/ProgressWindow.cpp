#include "ui/ProgressWindow.h"

#include "ui/Input.h"
#include "ui/MessageBox.h"
#include "ui/StaticText.h"

ProgressWindow::ProgressWindow(const Estring& title, const Estring& label_, Style style_)
    : dialog(-1, -3, kWidth, 6, ColourScheme[kColourWindow], 0), style(style_), label(label_) {
    if (!title.IsEmpty()) dialog.AddText(-1, -1, title);
    textIndex = dialog.AddText(1, 0, label, kWidth - 4, 0, 0);
    if (style == kGauge) gaugeIndex = dialog.AddProgress(1, 2, kGaugeWidth, fraction);
    dialog.AddText(1, 3, "Press Esc to cancel");
    dialog.Redraw(-1);
    SetCursorShape(0);
}

void ProgressWindow::SetCount(long long count) {
    if (count == shownCount) return;
    shownCount = count;
    auto& text = static_cast<StaticText&>(dialog.ControlAt(textIndex));
    text.SetText((label + " " + Estring::FromInt(count)).Left(kWidth - 4));
}

void ProgressWindow::SetFraction(float value) {
    fraction = value;
    if (gaugeIndex >= 0) dialog.Redraw(gaugeIndex);
}

bool ProgressWindow::CancelRequested(const Estring& question) {
    if (!EscapePressed()) return false;
    return messageBox(question, "", kMessageOkCancel) == kAnswerOk;
}
