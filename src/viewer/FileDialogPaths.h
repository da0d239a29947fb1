#pragma once
// The browser's use of the file dialog: a path taken apart into the
// directory the dialog starts in and the name it presets, and the chosen
// directory and name put together again.

#include "base/Estring.h"

// directory: everything before the last "/" or "\" ("." when there is
// none, "/" for a name right under the root); name: the rest.
void splitPath(const Estring& path, Estring& directory, Estring& name);

// directory + "/" + name, without doubling a separator already there.
Estring joinPath(const Estring& directory, const Estring& name);

// The file dialog in mode (DialogFileOpen::kOpen or kSaveAs) with pattern
// (null: every file), started in the directory of path with its name
// preset. True with chosen set to the full path when the user chose a file
// with OK; false on Cancel or when no name was chosen.
bool browseForFile(const Estring& path, int mode, const char* pattern, Estring& chosen);
