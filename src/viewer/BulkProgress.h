#pragma once
// BulkProgress: the counter window of a bulk run and its way of stopping.
//
// A window (20 columns wide, 30 for totals; 5 lines high; centred) with the
// label and the count so far on its line 1, from column 1: "Deleted: 12".
// After every record the run asks StopRequested, which looks at one waiting
// input event; Esc there makes the run ask ConfirmStop, the question in a
// message box with OK and Cancel (OK stops). A refused write is shown with
// the command's words and the engine's status text; Esc or Cancel stops.
//
// The count is drawn after every record; the screen is sent to the terminal
// at most every kFlushMs (and whenever input is read), so the counter costs
// the run next to nothing.
//
// The window closes, restoring the screen, when the object goes.

#include <memory>

#include "base/Estring.h"
#include "viewer/BulkOperations.h"

class Dialog;

class BulkProgress : public BulkControl {
public:
    static constexpr int kWidth = 20;
    static constexpr int kTotalsWidth = 30;
    static constexpr int kHeight = 5;
    static constexpr int kFlushMs = 50;

    // label: "Deleted: " and so on; question: the stop question.
    BulkProgress(const Estring& label, const Estring& question, int width = kWidth);
    ~BulkProgress() override;

    void Counted(long long count) override;
    bool StopRequested() override;
    bool ConfirmStop() override;
    bool WriteRefused(const Estring& words, int status) override;

private:
    std::unique_ptr<Dialog> window;
    Estring label;
    Estring question;
    long long lastFlushMs = 0;
};
