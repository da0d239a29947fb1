#pragma once
// The start-up prompt shown when the dictionary files could not be opened:
// "Error opening dictionary files", the status text and "Enter Path:" with
// the directory tried, ready for editing. Enter answers true (retry with the
// edited path as the directory), Esc false. When the engine library did not
// load (20), the library tried and the loader's reason follow the status, in
// a box wide enough for them.

#include "base/Estring.h"
#include "dictionary/DictionaryMessages.h"

bool AskDictionaryPath(int status, Estring& path);

// A table definition's failures in the message box (Ok only).
class MessageBoxDictionaryMessages : public DictionaryMessages {
public:
    void Show(const Estring& first, const Estring& second) override;
};
