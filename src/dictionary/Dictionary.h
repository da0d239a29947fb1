#pragma once
// The data dictionary: the three process-wide dictionary files and finding
// and opening them at start-up.
//
// The files are opened once (normal mode, no owner) and stay open for the
// whole run. closeDictionary() closes them; the program calls it before it
// ends, while the engine library is still fully alive.

#include <functional>

#include "base/Estring.h"

class BtrieveFile;

// "file.ddf" (one record per table), "field.ddf" (per field), "index.ddf" (per index segment).
BtrieveFile& FileDictionary();
BtrieveFile& FieldDictionary();
BtrieveFile& IndexDictionary();

// The default search list: the current directory, ddf below it, ddf beside
// it and ddf beside its parent.
constexpr const char* kDefaultDictionarySearch = ".;ddf;../ddf;../../ddf";

// Asked when the files could not be opened: status is the failure, path the
// directory tried (editable). True retries with path as the directory, false
// gives up.
using DictionaryPathPrompt = std::function<bool(int status, Estring& path)>;

// The search list: DDFPATH, or kDefaultDictionarySearch when it is empty or unset.
Estring DictionarySearchList();

// The first element of searchList (separated by ";" or ":"; "\" read as "/")
// that holds a file.ddf; directory is then that element with a trailing "/"
// ("./" for an empty element). False when none has one.
bool FindDictionary(const Estring& searchList, Estring& directory);

// Finds and opens the three files. path: the directory given with the d
// option (searched alone), or empty to search DictionarySearchList(). On
// return path is the directory finally used. A failure (12 when nothing was
// found) goes to prompt; without a prompt, or when it declines, the result
// is false and the files are closed.
bool openDictionary(Estring& path, const DictionaryPathPrompt& prompt);
// As above for start-up: a failure shows the "Error opening dictionary
// files" path prompt (AskDictionaryPath) until the files open or the user
// gives up with Esc.
bool openDictionary(Estring& path);

// Closes the three files.
void closeDictionary();
