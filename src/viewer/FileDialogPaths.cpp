#include "viewer/FileDialogPaths.h"

#include <algorithm>

#include "ui/DialogFileOpen.h"
#include "ui/KeyCodes.h"

void splitPath(const Estring& path, Estring& directory, Estring& name) {
    const int slash = std::max(path.FindCharFromRight('/'), path.FindCharFromRight('\\'));
    if (slash < 0) {
        directory = ".";
        name = path;
        return;
    }
    directory = slash == 0 ? Estring("/") : path.Left(slash);
    name = path.Mid(slash + 1);
}

Estring joinPath(const Estring& directory, const Estring& name) {
    if (directory.IsEmpty()) return name;
    const char last = directory[directory.Length() - 1];
    if (last == '/' || last == '\\') return directory + name;
    return directory + "/" + name;
}

bool browseForFile(const Estring& path, int mode, const char* pattern, Estring& chosen) {
    Estring directory, name;
    splitPath(path, directory, name);
    DialogFileOpen dialog(directory, mode, pattern);
    dialog.SetFileName(name);
    if (dialog.Run() != kKeyEnter) return false;
    if (dialog.FileName().IsEmpty()) return false;
    // A name typed with a directory of its own (absolute) stands alone.
    const Estring& typed = dialog.FileName();
    if (typed[0] == '/' || typed[0] == '\\') chosen = typed;
    else chosen = joinPath(dialog.Directory().IsEmpty() ? directory : dialog.Directory(), typed);
    return true;
}
