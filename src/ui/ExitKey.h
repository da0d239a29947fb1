#pragma once
// ExitKey: an invisible control whose hot key ends the dialog with that key's code.

#include "ui/Control.h"

class ExitKey : public Control {
public:
    ExitKey(Dialog& dialog, int key);

    int Kind() const override { return kKindExitKey; }
    void Activate() override;
};
