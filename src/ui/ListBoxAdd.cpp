// The Dialog's operations for list boxes and the default button.

#include "ui/Dialog.h"
#include "ui/ListBoxEstring.h"
#include "ui/ListBoxMultiSelect.h"
#include "ui/PushButton.h"

int Dialog::AddListBoxEstring(int x, int y, int groupFlags, int width, int rows, const EstringStore& list,
                              int& current, int exitCode) {
    ListBox& box = AddControl<ListBoxEstring>(x, y, groupFlags, width, rows, list, current, exitCode);
    box.Draw();
    return box.Index();
}

int Dialog::AddListBoxString(int x, int y, int groupFlags, int width, int rows, const char* const* strings, int count,
                             int& current, int exitCode) {
    ListBox& box = AddControl<ListBoxString>(x, y, groupFlags, width, rows, strings, count, current, exitCode);
    box.Draw();
    return box.Index();
}

int Dialog::AddListBoxMultiSelect(int x, int y, int groupFlags, int width, int rows, const EstringStore& list,
                                  uint8_t* marks, int& current, int exitCode) {
    ListBox& box = AddControl<ListBoxMultiSelect>(x, y, groupFlags, width, rows, list, marks, current, exitCode);
    box.Draw();
    return box.Index();
}

void Dialog::SetDefaultButton(int index) {
    if (index < 0 || index >= ControlCount() || ControlAt(index).Kind() != kKindPushButton) return;
    SetDefaultCode(static_cast<PushButton&>(ControlAt(index)).Code());
    Redraw(-1);
}
