#include "viewer/BulkProgress.h"

#include <chrono>

#include "btrieve/StatusText.h"
#include "ui/ColourScheme.h"
#include "ui/Dialog.h"
#include "ui/Input.h"
#include "ui/MessageBox.h"

namespace {

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

BulkProgress::BulkProgress(const Estring& label_, const Estring& question_, int width)
    : window(std::make_unique<Dialog>(-1, -2, width, kHeight, ColourScheme[kColourWindow], 0)),
      label(label_),
      question(question_) {
    window->WindowConsole().SetCursorShape(0);
    Counted(0);
    window->WindowConsole().Screen().Flush();
    lastFlushMs = NowMs();
}

BulkProgress::~BulkProgress() = default;

void BulkProgress::Counted(long long count) {
    const Estring text = (label + Estring::FromInt(count)).PadOrCut(window->InnerWidth() - 1);
    window->WriteText(1, 1, text);
}

bool BulkProgress::StopRequested() {
    const long long now = NowMs();
    Console& console = window->WindowConsole();
    if (!console.Pending()) {
        if (now - lastFlushMs >= kFlushMs) {
            console.Screen().Flush();
            lastFlushMs = now;
        }
        return false;
    }
    lastFlushMs = now;
    return EscapePressed(console);  // flushes, then takes the one waiting event
}

bool BulkProgress::ConfirmStop() { return messageBox(question, "", kMessageOkCancel) == kAnswerOk; }

bool BulkProgress::WriteRefused(const Estring& words, int status) {
    return messageBox(words, statusText(status), kMessageOkCancel) != kAnswerCancel;
}
