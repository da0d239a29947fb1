#pragma once
// ListBoxMultiSelect: a ListBoxEstring with a mark per item, for choosing
// several. The marks are the caller's bytes, one per item (non-zero =
// chosen); a chosen item shows "*" in the column left of the box, in the
// dialog's attribute.
//
// Keys, before those of every list box: Space toggles the current item's
// mark; Ctrl-keypad-plus and Alt-A mark every item, Ctrl-keypad-minus and
// Alt-N clear every mark, and then go on as any other key (so they still
// end a dialog whose box has exitCode -1).
//
// Requires: marks holds at least one byte per item of the list, for as long
// as the dialog lives.

#include <cstdint>

#include "ui/ListBoxEstring.h"

class ListBoxMultiSelect : public ListBoxEstring {
public:
    ListBoxMultiSelect(Dialog& dialog, int x, int y, int groupFlags, int width, int rows, const EstringStore& list,
                       uint8_t* marks, int& current, int exitCode);

    int Kind() const override { return kKindListBoxMultiSelect; }
    int HandleEvent(InputEvent& event) override;
    void DrawItem(int line, int item, int colour) override;

private:
    // Items that have a mark byte: the list's items the box knows of.
    int MarkCount() const;
    void SetAll(uint8_t value);

    uint8_t* marks;
};
