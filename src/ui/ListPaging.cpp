#include "ui/ListPaging.h"

#include <algorithm>

ListPaging::ListPaging(int rowsShown, int itemCount, int current)
    : rows(std::max(rowsShown, 1)), count(std::max(itemCount, 0)) {
    Follow(current);
}

void ListPaging::Clamp() {
    if (count == 0) {
        top = row = 0;
        return;
    }
    if (top < 0) top = 0;
    if (top > count - 1) top = count - 1;
    if (row < 0) row = 0;
    if (row > rows - 1) row = rows - 1;
    if (top + row > count - 1) row = count - 1 - top;
}

void ListPaging::SetCount(int n) {
    int current = Current();
    count = std::max(n, 0);
    if (current < 0) current = 0;
    Follow(current);
}

void ListPaging::Follow(int item) {
    if (count == 0) {
        Clamp();
        return;
    }
    item = std::clamp(item, 0, count - 1);
    row = item - top;
    if (row < 0) {
        top = item;
        row = 0;
    } else if (row >= rows) {
        top = item - rows + 1;
        row = rows - 1;
    }
}

void ListPaging::Up() {
    if (count == 0) return;
    if (row > 0) {
        --row;
    } else if (top > 0) {
        --top;
    }
}

void ListPaging::Down() {
    if (count == 0 || top + row >= count - 1) return;
    if (row < rows - 1) {
        ++row;
    } else {
        ++top;
    }
}

void ListPaging::PageUp() {
    if (count == 0) return;
    if (top >= rows) {
        top -= rows;
    } else {
        top = row = 0;
    }
}

void ListPaging::PageDown() {
    if (count == 0) return;
    if (top + rows < count) {
        top += rows;
        Clamp();
    } else {
        row = count - 1 - top;
    }
}

void ListPaging::Home() { top = row = 0; }

void ListPaging::End() {
    if (count == 0) return;
    top = std::max(0, count - rows);
    row = count - 1 - top;
}

void ListPaging::MoveBy(int delta) {
    if (count == 0) return;
    Follow(Current() + delta);
}

void ListPaging::PointAt(int line) {
    if (count == 0) return;
    row = std::clamp(line, 0, rows - 1);
    Clamp();
}

bool ListPaging::ScrollBack() {
    if (count == 0) return false;
    row = 0;
    if (top == 0) return false;
    --top;
    return true;
}

bool ListPaging::ScrollForward() {
    if (count == 0) return false;
    row = std::min(rows - 1, count - 1 - top);
    if (top + row >= count - 1) return false;
    ++top;
    return true;
}

int ListPaging::FindPrefix(int count, int current, const Estring& prefix, int direction,
                           const std::function<Estring(int)>& itemText) {
    if (count <= 0) return -1;
    if (current < 0) current = 0;
    for (int i = direction == 0 ? 0 : 1; i < count; ++i) {
        int step = direction < 0 ? -i : i;
        int candidate = ((current + step) % count + count) % count;
        if (itemText(candidate).Trim().Left(prefix.Length()) == prefix) return candidate;
    }
    return -1;
}
