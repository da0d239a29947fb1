#pragma once
// The view a table gets when it is opened in the browser: its own fields,
// key 0 (physical order without an index), no range and no filter, with the
// evaluator of calculated fields installed. A view file may change it, joins
// included: a joined file's location is tried as the view file gives it,
// then (when relative and not found) beside the dictionary.

#include <memory>
#include <string>

#include "DictionaryAccess.h"
#include "viewfile/JoinList.h"
#include "viewfile/View.h"

namespace qdxutil {

struct TableView {
    // First, so it goes last: the definition's joined fields point into it.
    JoinList joins;
    OpenedTable table;
    View view;
};

// Opens the table (see OpenTable) and sets up its view.
bool OpenTableView(Estring& directory, const std::string& tableName, const std::string& owner, TableView& out,
                   std::string& message);

// Reads and applies a view file; message is one line on failure.
bool LoadViewFile(TableView& tv, const std::string& path, std::string& message);

}  // namespace qdxutil
