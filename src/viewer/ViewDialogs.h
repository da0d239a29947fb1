#pragma once
// Saving and loading the grid's view (F2, F3), the last view of each file
// (written when the viewer closes, loaded with Shift-F3), through the view
// files of viewfile/ViewFile and viewfile/View.
//
// Messages (message boxes with OK): "Overwrite existing view?" (OK /
// Cancel, with the path), "Error creating view file" (the path), "Unable to
// open view file", "Unable to read view file", "Invalid view file" (each
// with the view's default name) and "Incompatible view file". A file is read
// and checked whole before the view changes, so a file for another table,
// or one that cannot be read, leaves the view as it was.

#include "base/Estring.h"

class FileViewer;

// F2: the file dialog (save mode, "*.qdx", in the working directory, the
// default view name preset), then writeView with the question. True when a
// file was written.
bool saveView(FileViewer& viewer);

// F3: the file dialog (open mode, "*.qdx", in the working directory, the
// default view name preset), then readView. True when a view was loaded;
// the grid then shows it from its first record.
bool loadView(FileViewer& viewer);

// Writes the viewer's view to path; unless silent, an existing file is
// replaced only after "Overwrite existing view?". Failures are shown unless
// silent. True when written.
bool writeView(FileViewer& viewer, const Estring& path, bool silent);

// Reads path and applies it to the viewer (the messages above on failure).
bool readView(FileViewer& viewer, const Estring& path);

// The last view file of the viewer's data file (see viewfile/LastViewFile),
// empty when there is no place for it or the viewer has no environment.
Estring lastViewFileOf(const FileViewer& viewer);

// Writes the last view file silently; nothing when there is no place for it.
void writeLastView(FileViewer& viewer);

// Shift-F3: reads the last view file with readView's messages; false (and
// nothing shown) when there is no place for it.
bool loadLastView(FileViewer& viewer);
