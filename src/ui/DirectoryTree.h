#pragma once
// DirectoryTree: the two lists of the file dialog, built from real
// directories, and the walk between them. No screen is involved, so the
// dialog's behaviour over a directory can be checked line by line.
//
// Names and paths are 8-bit text in the console's code page; they reach the
// file system through StdDirectory (UTF-8, "\" taken as "/").
//
// The tree (one line per entry, indented two blanks per level):
//   line 0               "Drives"
//   lines 1 .. depth     the components of the directory: "/" at level 1,
//                        then each directory name one level deeper
//   lines depth + 1 ..   the subdirectories of the directory, one level below
//                        it, sorted ignoring the case of A to Z
// With no directory (depth 0) the lines after "Drives" are the starting
// points of this platform, which has no drive letters: "/" and the user's
// home directory.
//
// The file list holds the other entries whose names match the pattern ("*"
// and "?", A to Z in any case), sorted the same way; it is always empty when
// only directories are wanted. "." and ".." never appear. A directory that
// cannot be read lists nothing.

#include <string_view>
#include <vector>

#include "base/Estring.h"
#include "base/EstringStore.h"

class DirectoryTree {
public:
    static constexpr int kIndent = 2;

    // The absolute form of path: relative to the working directory unless it
    // starts with "/" ("\" counts as "/"), with "." and ".." steps resolved
    // and no trailing "/" (except the root itself). An empty path is the
    // working directory. Nothing needs to exist.
    static Estring AbsolutePath(std::string_view path);
    // "/" and then each directory name; empty for the empty directory.
    static std::vector<Estring> Components(const Estring& directory);
    // directory + "/" + name, without doubling a "/" already at the end.
    static Estring Join(const Estring& directory, const Estring& name);
    // The directory as the path line shows it in width cells: unchanged when
    // it fits, otherwise "..." and its last width - 3 characters (a drive
    // form "X:" keeps its first three characters before the "...").
    static Estring ShortenPath(const Estring& directory, int width);
    // The starting points listed at depth 0: "/", then HOME (from the
    // environment, made absolute) when it is set and is not "/".
    static std::vector<Estring> Roots();

    // Rebuilds both lists for directory (empty: the starting points) and
    // returns its depth, the tree line of the directory itself.
    int Fill(const Estring& directory, const Estring& pattern, bool directoriesOnly);

    // The directory that choosing tree line `line` leads to: a line below
    // the current directory enters that subdirectory (or that starting
    // point); a line above leads to that ancestor ("Drives" is the empty
    // directory); the directory's own line, or a line that does not exist,
    // leaves it as it is.
    Estring DirectoryForLine(int line) const;

    const Estring& Directory() const { return directory; }
    int Depth() const { return depth; }
    EstringStore& TreeEntries() { return tree; }
    EstringStore& FileEntries() { return files; }
    const EstringStore& TreeEntries() const { return tree; }
    const EstringStore& FileEntries() const { return files; }
    // The name on a line, its indentation removed; empty when out of range.
    Estring TreeName(int line) const;
    Estring FileName(int line) const;

private:
    // The indentation of tree line `line`.
    int IndentOf(int line) const;

    Estring directory;
    int depth = 0;
    EstringStore tree;
    EstringStore files;
};
