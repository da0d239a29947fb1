#include "ui/ListBoxEstring.h"

ListBoxEstring::ListBoxEstring(Dialog& owner, int x_, int y_, int groupFlags, int width_, int rows,
                               const EstringStore& list_, int& current, int exitCode)
    : ListBox(owner, x_, y_, groupFlags, width_, rows, list_.Count(), current, exitCode), list(list_) {}

Estring ListBoxEstring::ItemText(int item) const {
    if (item < 0 || item >= list.Count() || item >= Count()) return Estring();
    return *list.Get(item);
}

void ListBoxEstring::DrawItem(int line, int item, int colour) { WriteLine(line, ItemText(item), colour); }

ListBoxString::ListBoxString(Dialog& owner, int x_, int y_, int groupFlags, int width_, int rows,
                             const char* const* strings_, int count, int& current, int exitCode)
    : ListBox(owner, x_, y_, groupFlags, width_, rows, count, current, exitCode), strings(strings_),
      stringCount(count) {}

Estring ListBoxString::ItemText(int item) const {
    // The array's own length bounds every read, whatever count the caller sends later.
    if (item < 0 || item >= stringCount || item >= Count() || strings[item] == nullptr) return Estring();
    return Estring(strings[item]);
}

void ListBoxString::DrawItem(int line, int item, int colour) { WriteLine(line, ItemText(item), colour); }
