#pragma once
// DictionaryMessages: how the dictionary tells the user that a table's
// definition failed (two lines: the words and, for engine failures, the status
// text). The application installs the toolkit's message box; without one the
// failure reaches the user only through the caller's report (the definition is
// not valid). A DictionaryDef given a report of its own uses that instead.

#include "base/Estring.h"

class DictionaryMessages {
public:
    virtual ~DictionaryMessages() = default;
    virtual void Show(const Estring& first, const Estring& second) = 0;
};

// Installs the process-wide sink (not owned); nullptr: messages are dropped.
void InstallDictionaryMessages(DictionaryMessages* messages);
DictionaryMessages* InstalledDictionaryMessages();

// Passes a message to the installed sink, if any.
void ShowDictionaryMessage(const Estring& first, const Estring& second);
