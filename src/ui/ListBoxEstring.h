#pragma once
// The list boxes of plain lists: ListBoxEstring shows the strings of a
// caller's EstringStore, ListBoxString a caller's array of zero-terminated
// strings. Each line is the item's text cut or padded with blanks to the
// box's width; lines past the end of the list are blank.
//
// The count is taken from the list when the box is created; a caller that
// changes the list afterwards tells the box with a kEventSetCount message.
// Items the list no longer holds are drawn blank.

#include "base/EstringStore.h"
#include "ui/ListBox.h"

class ListBoxEstring : public ListBox {
public:
    ListBoxEstring(Dialog& dialog, int x, int y, int groupFlags, int width, int rows, const EstringStore& list,
                   int& current, int exitCode);

    int Kind() const override { return kKindListBox; }
    void DrawItem(int line, int item, int colour) override;
    Estring ItemText(int item) const override;

protected:
    const EstringStore& list;
};

class ListBoxString : public ListBox {
public:
    // Requires: strings holds count non-null pointers.
    ListBoxString(Dialog& dialog, int x, int y, int groupFlags, int width, int rows, const char* const* strings,
                  int count, int& current, int exitCode);

    int Kind() const override { return kKindListBox; }
    void DrawItem(int line, int item, int colour) override;
    Estring ItemText(int item) const override;

private:
    const char* const* strings;
    int stringCount;
};
