#pragma once
// EstringStore: an owning list of strings (histories, names, lines).

#include "base/Estring.h"
#include "base/ObjectList.h"

class EstringStore : public TObjectStore<Estring> {
public:
    using TObjectStore<Estring>::Append;
    void Append(const Estring& text) { TObjectStore<Estring>::Append(new Estring(text)); }
    void Append(const char* text) { TObjectStore<Estring>::Append(new Estring(text)); }
    // Index of the first string equal to text (letter case ignored), -1 when absent.
    int Find(const Estring& text) const {
        for (int i = 0; i < Count(); ++i)
            if (*Get(i) == text) return i;
        return -1;
    }
};
