#pragma once
// PasswordField: a StringField over an Estring (at most 4096 characters,
// no options, no history) that shows one "*" per character. Its text never
// leaves it through the clipboard: copy and cut do nothing.

#include "ui/StringField.h"

class PasswordField : public StringField {
public:
    static constexpr int kMaxLength = 4096;
    PasswordField(Dialog& dialog, int x, int y, int groupFlags, Estring& text, int width);

    int Kind() const override { return kKindPasswordField; }

protected:
    Estring Shown(const Estring& text) const override { return Estring('*', text.Length()); }
    bool MayCopy() const override { return false; }
};
