#include "dictionary/DictionaryMessages.h"

namespace {
DictionaryMessages* installedMessages = nullptr;
}  // namespace

void InstallDictionaryMessages(DictionaryMessages* messages) { installedMessages = messages; }

DictionaryMessages* InstalledDictionaryMessages() { return installedMessages; }

void ShowDictionaryMessage(const Estring& first, const Estring& second) {
    if (installedMessages != nullptr) installedMessages->Show(first, second);
}
