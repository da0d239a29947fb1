#pragma once
// View files: a ViewDefinition as line-oriented text and back.
//
//   [QDX v1.0 View File]
//   DictionaryName=<table>
//   Index=<key number, -1 physical>
//   Filter=<formula>                  only when there is one
//   RangeMin=<csv values>             both only when a key range is in force:
//   RangeMax=<csv values>             one value per segment, empty = no bound
//   <empty line>
//   [Join:<name>]                     per join, in list order
//   DictionaryName= / Location= / Index= / JoinValue= (one per segment)
//   <empty line>
//   [Field:<name>] or [CalcField:<name>]   per field not at its defaults
//   Width= / DecPlaces= / Enabled=Y|N / Formula=   each only when it applies
//   <empty line>
//
// Lines end with a line feed; a reader also takes carriage return + line
// feed. Keys are compared with letter case significant, section headers
// without. Lines without "=" and unknown keys are ignored, and so is every
// key before the "DictionaryName" line that matches the table (sections that
// create calculated fields still count).
//
// Reading never changes a view: it fills a ViewDefinition that the caller
// applies only when the whole file was read and found to be for its table.

#include <functional>
#include <string>
#include <string_view>

#include "base/Estring.h"
#include "viewfile/ViewDefinition.h"

constexpr const char* kViewFileHeader = "[QDX v1.0 View File]";

// The two lines of a message box; first is empty when there is nothing to say.
struct ViewFileMessage {
    Estring first;
    Estring second;
    bool IsEmpty() const { return first.IsEmpty(); }
};

// The data file's name without its directory ("/" or "\") and without its
// last extension (cut only when the "." is not the name's first character),
// followed by ".qdx".
Estring defaultViewName(const Estring& dataFileName);

// Appends the section of one join: "[Join:<name>]", its DictionaryName,
// Location and Index lines, one JoinValue line per value, an empty line.
void writeJoinSection(const JoinDescription& join, std::string& out);

// The text of a view file.
std::string formatViewText(const ViewDefinition& view);

// Reads text as a view file for the table named tableName (A-Z case
// ignored). On failure returns false with message set: "Unable to read view
// file" (no first line) or "Invalid view file" (wrong header), both with
// viewName on the second line, or "Incompatible view file" with an empty
// second line. out is filled only on success.
bool parseViewText(std::string_view text, const Estring& tableName, const Estring& viewName, ViewDefinition& out,
                   ViewFileMessage& message);

// Asked before an existing view file is replaced; true replaces it.
using ConfirmOverwrite = std::function<bool(const Estring& path)>;

// Writes view to path. Unless confirm is empty, an existing file is replaced
// only when confirm(path) says so (false, no message, otherwise). The file is
// written beside its final name and renamed over it, so an old view is
// never left half-overwritten and a symbolic link planted at path is
// replaced, not followed. False with "Error creating view file" and the path
// when it cannot be written.
bool writeView(const ViewDefinition& view, const Estring& path, const ConfirmOverwrite& confirm,
               ViewFileMessage& message);

// Reads path (see parseViewText). A file that cannot be opened gives
// "Unable to open view file" with defaultViewName(dataFileName); the other
// messages also name defaultViewName(dataFileName).
bool readView(const Estring& path, const Estring& tableName, const Estring& dataFileName, ViewDefinition& out,
              ViewFileMessage& message);
