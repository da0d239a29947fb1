#pragma once
// The grid's state as the view-file, export and import code sees it: a
// View over the viewer's own file and fields, and the way back.
//
// The View points into the viewer (its file, its field list, the
// definition's index segments) and lives no longer than it. The key range
// is copied both ways: the viewer keeps it as two key images with a bound
// flag on each segment of the definition's index, the View as a KeyRange.

#include "viewfile/View.h"

class FileViewer;

// The viewer's view: file, fields, indexes, table name, key number, range,
// filter and its joins (none until the viewer has a join list).
View viewOf(FileViewer& viewer);

// Takes over what a loaded view changed (the fields are shared and already
// changed): the key number, the range and the filter. The page restarts at
// the first record in view, and the header and every line are drawn again
// with the horizontal offset clamped to the new header.
void takeViewInto(const View& view, FileViewer& viewer);
