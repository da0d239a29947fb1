#include "ui/PasswordField.h"

PasswordField::PasswordField(Dialog& owner, int x_, int y_, int groupFlags, Estring& text, int width_)
    : StringField(owner, x_, y_, groupFlags, nullptr, &text, width_, kMaxLength, 0, kNoHistory) {}
