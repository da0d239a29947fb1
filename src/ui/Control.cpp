#include "ui/Control.h"

#include "ui/Dialog.h"

Control::Control(Dialog& owner, int x_, int y_, int groupFlags)
    : dialog(owner), index(owner.ControlCount()), x(x_), y(y_), group(owner.StartControl(groupFlags)),
      tabToHead((groupFlags & 1) != 0) {
    groupCurrent = index;
}

Control::~Control() = default;

int Control::HandleEvent(InputEvent&) { return 0; }

void Control::Activate() { dialog.SetFocus(index); }

bool Control::CanLeave() { return true; }

void Control::FocusChanged(bool) { Draw(); }

void Control::Draw() {}

bool Control::Resize(int) { return false; }

void Control::Commit() {}

bool Control::HasFocus() const { return dialog.Focus() == index; }
