#pragma once
// The browser's export (Alt-E): the Export Records dialog, then the export
// of the viewer's view through viewfile/Exporter (the one writer qdxutil
// export uses too), with the count of exported records in the dialog and
// Esc asking "Cancel export?".
//
// Export Records (50 x 10, centred, a third of the way down, 0x70):
//   (1, 1)  "File Name:"   (12, 1) the name, 26 wide (Alt-N)   (40, 1) "..." (Alt-B)
//   (1, 3)  ( ) CSV (Alt-C)   (9, 3) "-->"   (13, 3) [ ] Selected fields only (Alt-F)
//   (1, 4)  ( ) SAV (Alt-S)                  (13, 4) [ ] Field name heading (Alt-H)
//   (1, 5)  ( ) TXT (Alt-T)                  (13, 5) [ ] Selected records only (Alt-R)
//   (12, 2) "Exported: " and the count (8 wide), every tenth record while exporting
//   (9, 7)  Export (Enter, Alt-E)            (21, 7) Cancel (Esc)
// The file name starts as the data file's path without its extension; a
// name without "." gets the format's extension. "..." opens the file dialog
// (save mode) in the name's directory. The dialog stays on screen during the
// export and closes after it. Failures (the file cannot be created or
// written, a record cannot be read) are shown in a message box.

#include "base/Estring.h"
#include "viewfile/Exporter.h"

class FileViewer;

// What the dialog asks, before and after it ran.
struct ExportChoice {
    Estring fileName;
    int format = static_cast<int>(ExportFormat::kCsv);
    bool selectedFieldsOnly = true;
    bool fieldNameHeading = true;
    bool selectedRecordsOnly = true;

    ExportOptions Options() const;
};

// The name the dialog starts with: path up to (not including) its last ".",
// empty when path has none.
Estring exportStartName(const Estring& dataFilePath);

// The dialog and the export.
void exportRecords(FileViewer& viewer);
