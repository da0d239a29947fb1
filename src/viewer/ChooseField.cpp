#include "viewer/ChooseField.h"

#include <algorithm>

#include "base/EstringStore.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/StringField.h"

namespace {
constexpr int kWidth = 60;
constexpr int kListWidth = 56;
constexpr int kMaxRows = 16;
}  // namespace

Estring ChooseFieldLine(const FieldList& fields, int i) {
    const FieldAttributes& field = *fields.Get(i);
    return field.name.PadOrCut(42) + DataTypeDescription(field);
}

bool chooseField(const FieldList& fields, Estring& name) {
    if (fields.Count() == 0) return false;
    EstringStore lines;
    for (int i = 0; i < fields.Count(); ++i) lines.Append(std::make_unique<Estring>(ChooseFieldLine(fields, i)));
    const int rows = std::min(fields.Count(), kMaxRows);
    int current = 0;
    Dialog dialog(-1, -1, kWidth, rows + 2, 0x70, 0);
    dialog.AddHeading("Choose Field", 1);
    dialog.AddHeading("ENTER=Select  ESC=Cancel", 4);
    dialog.AddListBoxEstring((kWidth - 2 - kListWidth) / 2, 0, 0, kListWidth, rows, lines, current, kKeyEnter);
    if (dialog.Run() != kKeyEnter || current < 0 || current >= fields.Count()) return false;
    name = fields.Get(current)->name;
    return true;
}

void InsertAtCursor(Dialog& dialog, int fieldIndex, const Estring& text) {
    auto& field = static_cast<StringField&>(dialog.ControlAt(fieldIndex));
    const Estring old = field.Text();
    const int pos = std::min(field.Pos(), old.Length());
    const Estring joined = old.Left(pos) + text + old.Mid(pos);
    if (joined.Length() > field.MaxLength()) return;
    field.SetText(joined);
    InputEvent move{};
    move.type = kEventSetPos;
    move.key = pos + text.Length();
    dialog.SendEvent(fieldIndex, move);
    dialog.Redraw(fieldIndex);
}
