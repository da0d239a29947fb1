#pragma once
// The grid's record commands: Enter (edit in the record view), Insert (a new
// record from a cleared buffer), F5 / Ctrl-Insert (a new record like the
// cursor record) and Alt-H (the cursor record's bytes in the hex view,
// written back with Update). After a write the page is filled again and the
// cursor stays on the record written while it is still in view.
//
// Requires for each: the viewer's handleKey has just re-read the cursor row
// into the record buffer (currentStatus 0) where a record is needed.

class FileViewer;

// Each returns true when the file changed (the page is already refreshed then).
bool editCursorRecord(FileViewer& viewer);
bool insertRecord(FileViewer& viewer, bool likeCurrent);
bool hexViewOfRecord(FileViewer& viewer);

// Fills the page again and puts the cursor on the file's current record:
// on its row when the page shows it, else (still in view) at the top of a
// page that starts with it.
void refreshOnCurrentRecord(FileViewer& viewer);
