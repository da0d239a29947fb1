// A definition's failure reaches the user in the program's message box.
#include "app/DictionaryDef.h"
#include "ui/MessageBox.h"

void ShowDictionaryMessage(const Estring& first, const Estring& second) { messageBox(first, second, kMessageOk); }
