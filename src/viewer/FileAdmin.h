#pragma once
// File administration from the grid: the File Statistics window (Ctrl-L)
// and the Modify File Owner dialog (Alt-O). The work itself is in
// src/admin; these only ask and show.
//
// The owner name is typed into password fields only and handed straight to
// the engine; it is not kept in the viewer, its view or anywhere else.

#include "base/Estring.h"

class BtrieveFile;
class FileViewer;

// Stat, then the window until Esc or Enter; a failed Stat shows "Error
// getting file statistics" with the status text instead.
void showFileStatistics(BtrieveFile& file, const Estring& location);
void showFileStatistics(FileViewer& viewer);

// The dialog. Set with a name asks for it once more; a mismatch sets
// nothing. True when the owner was set or cleared.
bool modifyFileOwner(BtrieveFile& file);
bool modifyFileOwner(FileViewer& viewer);

// The second prompt after Set: the name typed again, compared with name.
// 13 when they match, 27 on Esc, 0 when they differ (a box said so).
int confirmOwnerName(const Estring& name);
