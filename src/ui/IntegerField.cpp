#include "ui/IntegerField.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "ui/Dialog.h"

namespace {

int Clamped(int digits) { return std::max(1, std::min(digits, IntegerField::kMaxDigits)); }

}  // namespace

IntegerField::IntegerField(Dialog& owner, int x_, int y_, int groupFlags, int& value_, int digits, int options_,
                           bool blankWhenZero_, int history_)
    : StringField(owner, x_, y_, groupFlags, nullptr, nullptr, Clamped(digits), Clamped(digits), options_, history_),
      value(value_), blankWhenZero(blankWhenZero_) {
    // The base was built before the buffer could be named: bind it now.
    StringField::SetBuffer(digitsText);
    Store(TextOf(value));
    pos = Text().Length();
}

Estring IntegerField::TextOf(int v) const {
    if (v == 0 && blankWhenZero) return Estring();
    return Estring::FromInt(v).Left(maxLength);
}

bool IntegerField::ValueOf(const Estring& text, int& result) {
    int i = 0;
    bool negative = text.Length() > 0 && text[0] == '-';
    if (negative) i = 1;
    long long v = 0;
    for (; i < text.Length(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        if (v < 10000000000LL) v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    result = static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
    return true;
}

int IntegerField::HandleEvent(InputEvent& event) {
    if (event.type == kEventKey && !literalNext && event.key >= 32 && event.key <= 255) {
        bool digit = event.key >= '0' && event.key <= '9';
        bool startsText = replaceOnType || pos == 0 || (Selecting() && selStart == 0);
        if (!digit && !(event.key == '-' && startsText)) return 0;
    }
    Estring before = Text();
    int beforePos = pos;
    bool beforeReplace = replaceOnType;
    int consumed = StringField::HandleEvent(event);
    int v = 0;
    if (!ValueOf(Text(), v)) {
        // The edit made something that is not a number ("5-", "--1", a pasted word): undo it.
        Store(before);
        pos = beforePos;
        replaceOnType = beforeReplace;
        ValueOf(before, v);
        Draw();
        if (event.type == kEventKey && event.key >= 32 && event.key <= 255) consumed = 0;
    }
    if (consumed && event.type != kEventQueryPos) value = v;
    return consumed;
}

void IntegerField::Draw() {
    if (!HasFocus()) {
        int shown = 0;
        if (!ValueOf(Text(), shown) || shown != value || Text() != TextOf(value)) {
            Store(TextOf(value));
            pos = Text().Length();
        }
    }
    StringField::Draw();
}
