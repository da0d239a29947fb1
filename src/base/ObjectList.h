#pragma once
// ObjectList: an ordered list of pointers with a cursor for iteration.
// It does not own its items; TObjectStore (below) does.
//
// Capacity starts at 0; when full it becomes 10, then capacity * 13 / 10.
// Cursor: Rewind() puts it before the first item (-1); Next()/Previous() move
// it and return the item there, or null past either end. Append() leaves the
// cursor on the new item; Insert() inserts at the cursor (clamped to 0..count).

#include <memory>

class ObjectList {
public:
    ObjectList() = default;
    ObjectList(const ObjectList&) = delete;
    ObjectList& operator=(const ObjectList&) = delete;
    virtual ~ObjectList();

    void Append(void* item);
    void Insert(void* item);
    // Requires: 0 <= i < Count(); returns null otherwise.
    void* Get(int i) const;
    void Set(int i, void* item);
    int Count() const { return count; }
    int Capacity() const { return capacity; }
    int Cursor() const { return cursor; }
    // Clamped to -1 .. Count(), the positions Next() and Previous() step from.
    void SetCursor(int i) { cursor = i < -1 ? -1 : (i > count ? count : i); }
    // Removes item i, moving later items down (a store destroys it).
    void Remove(int i);
    // Removes every item (a store destroys them).
    void Clear();
    // Index of item (pointer identity), -1 when absent.
    int IndexOf(const void* item) const;
    // Exchanges items i and j.
    void Swap(int i, int j);

    void Rewind() { cursor = -1; }
    void* Next();
    void* Previous();

protected:
    // Called for every item that Remove() and Clear() drop; stores destroy it.
    virtual void Release(void* item) {}
    // Takes item i out of the list without releasing it.
    void* Detach(int i);

private:
    void Grow();

    int cursor = -1;
    int count = 0;
    std::unique_ptr<void*[]> items;
    int capacity = 0;
};

// A list that owns its items: removing or clearing destroys them, and so does
// the store's own destruction.
class TObjectStoreAbstract : public ObjectList {
public:
    ~TObjectStoreAbstract() override = default;
};

template <typename T>
class TObjectStore : public TObjectStoreAbstract {
public:
    TObjectStore() = default;
    ~TObjectStore() override { Clear(); }

    // Takes ownership of item.
    void Append(T* item) { ObjectList::Append(item); }
    void Append(std::unique_ptr<T> item) { ObjectList::Append(item.release()); }
    void Insert(T* item) { ObjectList::Insert(item); }
    T* Get(int i) const { return static_cast<T*>(ObjectList::Get(i)); }
    T* Next() { return static_cast<T*>(ObjectList::Next()); }
    T* Previous() { return static_cast<T*>(ObjectList::Previous()); }
    // Gives item i back to the caller, who then owns it.
    std::unique_ptr<T> Take(int i) { return std::unique_ptr<T>(static_cast<T*>(Detach(i))); }

protected:
    void Release(void* item) override { delete static_cast<T*>(item); }
};
