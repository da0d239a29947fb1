#pragma once
// The browser's import (Alt-I): the Import Records dialog, then the import
// through viewfile/Importer (the one qdxutil import uses too) with the
// Importing Records window, one message box per refused record (Skip / Skip
// All / Cancel) and Esc asking "Cancel Import?".
//
// Import Records (50 x 9, centred, a third of the way down, 0x70):
//   (1, 1) "File Name:"  (12, 1) the name, 26 wide (Alt-F)  (40, 1) "..." (Alt-B)
//   (1, 3) ( ) CSV (Alt-C)   (1, 4) ( ) SAV (Alt-S)
//   (9, 6) Import (Enter, Alt-I)   (21, 6) Cancel (Esc)
// Importing Records (40 x 5, centred, 0x70 with its frame):
//   (1, 0) "Records:" and the count at (10, 0)
//   (1, 1) the gauge of the share of the file read, 36 wide
//   line 2 the share as a percentage with one decimal, centred
// A file that cannot be opened shows "Unable to open" with its path and the
// dialog stays for another attempt; so does Cancel in a refused record's box.
// A malformed record dump or a read error ends the import with a message
// saying where and how many records went in.

#include "base/Estring.h"

class FileViewer;

constexpr int kImportCsv = 0;
constexpr int kImportSav = 1;

// The dialog and the import. True when the file changed (an import ran to
// its end, or records went in before the user cancelled): the caller
// refreshes the grid.
bool importRecords(FileViewer& viewer);

// One import with the progress window. False when the file cannot be
// opened or the user chose Cancel in an error box; inserted (when not null)
// receives the number of records inserted.
bool importCsv(FileViewer& viewer, const Estring& path, long long* inserted = nullptr);
bool importSav(FileViewer& viewer, const Estring& path, long long* inserted = nullptr);

// The percentage line of the progress window for position of size bytes
// ("37.5%"; "100.0%" for an empty file).
Estring importPercentText(long long position, long long size);
