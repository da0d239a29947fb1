#include "viewer/SaveChanges.h"

#include "ui/ColourScheme.h"
#include "ui/Dialog.h"

int askSaveChanges() {
    Dialog dialog(-1, -2, 35, 5, kAttrAlert, kAttrAlert);
    dialog.AddText(-1, 0, "Save changes?");
    dialog.AddPushButton(1, 2, 0, kSaveAnswerOk, "OK");
    dialog.AddPushButton(9, 2, 0, kSaveAnswerDiscard, "Discard");
    dialog.AddPushButton(22, 2, 0, kSaveAnswerCancel, "Cancel");
    return dialog.Run();
}
