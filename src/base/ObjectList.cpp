#include "base/ObjectList.h"

#include <utility>

ObjectList::~ObjectList() = default;

void ObjectList::Grow() {
    int newCapacity = capacity == 0 ? 10 : capacity * 13 / 10;
    std::unique_ptr<void*[]> grown(new void*[static_cast<size_t>(newCapacity)]);
    for (int i = 0; i < count; ++i) grown[i] = items[i];
    items = std::move(grown);
    capacity = newCapacity;
}

void ObjectList::Append(void* item) {
    if (count == capacity) Grow();
    items[count] = item;
    cursor = count++;
}

void ObjectList::Insert(void* item) {
    int at = cursor < 0 ? 0 : (cursor > count ? count : cursor);
    if (count == capacity) Grow();
    for (int i = count; i > at; --i) items[i] = items[i - 1];
    items[at] = item;
    ++count;
}

void* ObjectList::Get(int i) const { return (i >= 0 && i < count) ? items[i] : nullptr; }

void ObjectList::Set(int i, void* item) {
    if (i >= 0 && i < count) items[i] = item;
}

void* ObjectList::Detach(int i) {
    if (i < 0 || i >= count) return nullptr;
    void* item = items[i];
    for (int k = i; k < count - 1; ++k) items[k] = items[k + 1];
    --count;
    if (cursor > count) cursor = count;
    return item;
}

void ObjectList::Remove(int i) {
    if (i < 0 || i >= count) return;
    Release(Detach(i));
}

void ObjectList::Clear() {
    // Items are released first to last; the list is empty before any Release
    // could look at it again.
    int n = count;
    std::unique_ptr<void*[]> old = std::move(items);
    count = 0;
    capacity = 0;
    cursor = -1;
    for (int i = 0; i < n; ++i) Release(old[i]);
}

int ObjectList::IndexOf(const void* item) const {
    for (int i = 0; i < count; ++i)
        if (items[i] == item) return i;
    return -1;
}

void ObjectList::Swap(int i, int j) {
    if (i < 0 || j < 0 || i >= count || j >= count) return;
    std::swap(items[i], items[j]);
}

void* ObjectList::Next() {
    if (cursor < count) ++cursor;
    return cursor < count ? items[cursor] : nullptr;
}

void* ObjectList::Previous() {
    if (cursor >= 0) --cursor;
    return cursor >= 0 ? items[cursor] : nullptr;
}
