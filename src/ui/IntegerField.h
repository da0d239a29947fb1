#pragma once
// IntegerField: a StringField of `digits` cells and characters over its own
// text, bound to a caller's int. Only digits, and "-" as the first
// character, are typed; after every consumed event the variable is the
// text's decimal value (0 for an empty text or a lone "-", limited to the
// range of int). While the field is not being edited it shows the variable
// (empty for 0 when blankWhenZero).

#include "ui/StringField.h"

class IntegerField : public StringField {
public:
    static constexpr int kMaxDigits = 19;
    IntegerField(Dialog& dialog, int x, int y, int groupFlags, int& value, int digits, int options,
                 bool blankWhenZero, int history);

    int Kind() const override { return kKindIntegerField; }
    int HandleEvent(InputEvent& event) override;
    void Draw() override;

    // The text shown for value.
    Estring TextOf(int value) const;
    // The value of a field text; false when it is not an optional "-" and digits.
    static bool ValueOf(const Estring& text, int& value);

private:
    char digitsText[kMaxDigits + 2] = {};
    int& value;
    bool blankWhenZero;
};
