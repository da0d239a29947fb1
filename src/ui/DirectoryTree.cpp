#include "ui/DirectoryTree.h"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "base/CodePage437.h"
#include "base/StdDirectory.h"
#include "platform/SystemHooks.h"

namespace {

// Names ignoring the case of A to Z, then by their bytes, so that equal
// names in different case always come in the same order.
bool NameBefore(const Estring& a, const Estring& b) {
    int order = Estring::Compare(a.View(), b.View());
    if (order != 0) return order < 0;
    return a.View() < b.View();
}

Estring WorkingDirectory() {
    std::string buffer(4096, '\0');
    if (getcwd(buffer.data(), buffer.size()) == nullptr) return Estring("/");
    buffer.resize(buffer.find('\0'));
    std::string name8 = cp437::FromUtf8(buffer);
    return Estring(name8.data(), static_cast<int>(name8.size()));
}

}  // namespace

Estring DirectoryTree::AbsolutePath(std::string_view path) {
    std::string text(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    if (text.empty() || text[0] != '/') text = WorkingDirectory().ToStdString() + "/" + text;

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) result += "/" + part;
    if (result.empty()) result = "/";
    return Estring(result.data(), static_cast<int>(result.size()));
}

std::vector<Estring> DirectoryTree::Components(const Estring& directory) {
    std::vector<Estring> components;
    if (directory.IsEmpty()) return components;
    components.push_back(Estring("/"));
    std::string_view rest = directory.View();
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        if (!part.empty()) components.push_back(Estring(part));
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return components;
}

Estring DirectoryTree::Join(const Estring& directory, const Estring& name) {
    Estring joined = directory;
    if (joined.IsEmpty() || joined[joined.Length() - 1] != '/') joined += '/';
    joined += name;
    return joined;
}

Estring DirectoryTree::ShortenPath(const Estring& directory, int width) {
    if (directory.Length() <= width) return directory;
    if (width < 3) return directory.Right(width);
    if (width >= 6 && directory.Length() > 1 && directory[1] == ':')
        return directory.Left(3) + "..." + directory.Right(width - 6);
    return Estring("...") + directory.Right(width - 3);
}

std::vector<Estring> DirectoryTree::Roots() {
    std::vector<Estring> roots{Estring("/")};
    const char* home = GetEnvironment("HOME");
    if (home != nullptr && home[0] != 0) {
        std::string home8 = cp437::FromUtf8(home);
        Estring absolute = AbsolutePath(home8);
        if (absolute != "/") roots.push_back(absolute);
    }
    return roots;
}

int DirectoryTree::Fill(const Estring& newDirectory, const Estring& pattern, bool directoriesOnly) {
    directory = newDirectory;
    tree.Clear();
    files.Clear();
    tree.Append("Drives");

    std::vector<Estring> components = Components(directory);
    depth = 0;
    for (const Estring& component : components) {
        ++depth;
        tree.Append(Estring(' ', kIndent * depth) + component);
    }

    if (depth == 0) {
        for (const Estring& root : Roots()) tree.Append(Estring(' ', kIndent) + root);
        return depth;
    }

    StdDirectory listing;
    listing.Read(directory.View(), "*", StdDirectory::kAttrAll, directoriesOnly);  // unreadable: no entries
    std::vector<Estring> subdirectories, names;
    for (int i = 0; i < listing.Count(); ++i) {
        const DirectoryEntry& entry = listing.Get(i);
        if (entry.attributes & StdDirectory::kAttrDirectory) {
            if (entry.name != "." && entry.name != "..") subdirectories.push_back(entry.name);
        } else if (!directoriesOnly && StdDirectory::Matches(pattern.View(), entry.name.View())) {
            names.push_back(entry.name);
        }
    }
    std::sort(subdirectories.begin(), subdirectories.end(), NameBefore);
    std::sort(names.begin(), names.end(), NameBefore);
    const Estring indent(' ', kIndent * (depth + 1));
    for (const Estring& name : subdirectories) tree.Append(indent + name);
    for (const Estring& name : names) files.Append(name);
    return depth;
}

int DirectoryTree::IndentOf(int line) const {
    if (line <= 0) return 0;
    return kIndent * std::min(line, depth + 1);
}

Estring DirectoryTree::TreeName(int line) const {
    if (line < 0 || line >= tree.Count()) return Estring();
    return tree.Get(line)->Mid(IndentOf(line));
}

Estring DirectoryTree::FileName(int line) const {
    if (line < 0 || line >= files.Count()) return Estring();
    return *files.Get(line);
}

Estring DirectoryTree::DirectoryForLine(int line) const {
    if (line < 0 || line >= tree.Count() || line == depth) return directory;
    if (line > depth) {
        // A subdirectory, or at depth 0 a starting point (already absolute).
        return depth == 0 ? TreeName(line) : Join(directory, TreeName(line));
    }
    Estring ancestor;
    for (int i = 1; i <= line; ++i) ancestor = i == 1 ? TreeName(1) : Join(ancestor, TreeName(i));
    return ancestor;
}
