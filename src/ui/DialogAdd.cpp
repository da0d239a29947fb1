// The Dialog's Add... operations: one control each, in the order called.

#include "ui/Dialog.h"
#include "ui/CheckBox.h"
#include "ui/DlgStaticHeading.h"
#include "ui/ExitKey.h"
#include "ui/IntegerField.h"
#include "ui/PasswordField.h"
#include "ui/ProgressIndicator.h"
#include "ui/PushButton.h"
#include "ui/RadioButton.h"
#include "ui/StaticText.h"
#include "ui/StringField.h"

int Dialog::AddText(int x, int y, const Estring& text, int attribute) {
    return AddControl<StaticText>(x, y, text, text.Length(), 0, attribute).Index();
}

int Dialog::AddText(int x, int y, const Estring& text, int width, int alignment, int attribute) {
    return AddControl<StaticText>(x, y, text, width, alignment, attribute).Index();
}

int Dialog::AddPushButton(int x, int y, int groupFlags, int code, const Estring& label) {
    return AddControl<PushButton>(x, y, groupFlags, code, label).Index();
}

int Dialog::AddExitKey(int key) { return AddControl<ExitKey>(key).Index(); }

int Dialog::AddHeading(const Estring& text, int position) {
    return AddControl<DlgStaticHeading>(text, position).Index();
}

int Dialog::AddCheckBox(int x, int y, int groupFlags, uint8_t& flag, const Estring& label, bool labelRight) {
    return AddControl<CheckBox>(x, y, groupFlags, &flag, nullptr, label, labelRight).Index();
}

int Dialog::AddCheckBox(int x, int y, int groupFlags, bool& flag, const Estring& label, bool labelRight) {
    return AddControl<CheckBox>(x, y, groupFlags, nullptr, &flag, label, labelRight).Index();
}

int Dialog::AddRadioButton(int x, int y, int groupFlags, int& variable, int value, const Estring& label) {
    return AddControl<RadioButton>(x, y, groupFlags, variable, value, label).Index();
}

int Dialog::AddProgress(int x, int y, int width, float& fraction) {
    return AddControl<ProgressIndicator>(x, y, width, fraction).Index();
}

int Dialog::AddStringField(int x, int y, int groupFlags, char* buffer, int width, int maxLength, int options,
                           int history) {
    return AddControl<StringField>(x, y, groupFlags, buffer, nullptr, width, maxLength, options, history).Index();
}

int Dialog::AddStringField(int x, int y, int groupFlags, Estring& text, int width, int options, int history) {
    return AddStringField(x, y, groupFlags, text, width, kDefaultTextLength, options, history);
}

int Dialog::AddStringField(int x, int y, int groupFlags, Estring& text, int width, int maxLength, int options,
                           int history) {
    return AddControl<StringField>(x, y, groupFlags, nullptr, &text, width, maxLength, options, history).Index();
}

int Dialog::AddPasswordField(int x, int y, int groupFlags, Estring& text, int width) {
    return AddControl<PasswordField>(x, y, groupFlags, text, width).Index();
}

int Dialog::AddIntegerField(int x, int y, int groupFlags, int& value, int digits, bool blankWhenZero, int history) {
    return AddIntegerField(x, y, groupFlags, value, digits, 0, blankWhenZero, history);
}

int Dialog::AddIntegerField(int x, int y, int groupFlags, int& value, int digits, int options, bool blankWhenZero,
                            int history) {
    return AddControl<IntegerField>(x, y, groupFlags, value, digits, options, blankWhenZero, history).Index();
}
