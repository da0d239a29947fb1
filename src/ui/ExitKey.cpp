#include "ui/ExitKey.h"

#include "ui/Dialog.h"

ExitKey::ExitKey(Dialog& owner, int key) : Control(owner, 0, 0, 0) {
    focusable = false;
    hotKey = key;
}

void ExitKey::Activate() { dialog.SetResult(hotKey); }
