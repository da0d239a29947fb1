#include "ui/TextHistory.h"

#include <algorithm>

std::vector<Estring>& TextHistory(int id) {
    static std::vector<Estring> lists[kHistoryLists];
    return lists[id];
}

void RecordHistory(int id, const Estring& text) {
    if (id < 0 || id >= kHistoryLists || text.IsEmpty()) return;
    std::vector<Estring>& list = TextHistory(id);
    list.erase(std::remove(list.begin(), list.end(), text), list.end());
    list.push_back(text);
}
