#include "viewer/SaveChanges.h"

#include "ui/ColourScheme.h"
#include "ui/Dialog.h"

namespace {
// Each button its own group: Tab goes from one to the next (buttons sharing
// the label's group could only be reached with the arrows).
constexpr int kOwnGroup = 1;
}  // namespace

int askSaveChanges() {
    Dialog dialog(-1, -2, 35, 5, kAttrAlert, kAttrAlert);
    dialog.AddText(-1, 0, "Save changes?");
    dialog.AddPushButton(1, 2, kOwnGroup, kSaveAnswerOk, "OK");
    dialog.AddPushButton(9, 2, kOwnGroup, kSaveAnswerDiscard, "Discard");
    dialog.AddPushButton(22, 2, kOwnGroup, kSaveAnswerCancel, "Cancel");
    return dialog.Run();
}
