#pragma once
// Writing a database from a schema: the three dictionary files (describing
// themselves and every table of the schema) and one empty data file per
// table, all through the engine.
//
// Table ids: the dictionary's own tables 1, 2, 3, then the schema's tables
// from 4 in the order written. Field ids run from 1 over the whole
// dictionary in the same order.

#include <vector>

#include "dictionary/Schema.h"
#include "base/Estring.h"

struct DefineOptions {
    bool replace = false;     // replace existing files; otherwise any existing file refuses the whole run
    bool setOwners = true;    // give tables with an owner name their owner (false: the caller does it later)
};

// One table as written: its schema, id and the path its data file has.
struct DefinedTable {
    const SchemaTable* table = nullptr;
    int16_t tableId = 0;
    Estring path;
};

// The path of a table's file: location as written when it is absolute, else
// taken from directory. "\" is read as "/".
Estring TableFilePath(const Estring& directory, const Estring& location);

// Writes the dictionary and the data files into directory (created when
// missing). On failure message is one line naming the file and the engine
// status text ("DIR/orders.dat: 59: File Already Exists"); files that this
// call created are removed again, and without replace nothing is written
// when any file already exists. tables (when not null) receives every table
// written, the dictionary's own first.
bool DefineDatabase(const Estring& directory, const Schema& schema, const DefineOptions& options, Estring& message,
                    std::vector<DefinedTable>* tables = nullptr);

// Opens path and gives it table's owner name and mode. Returns the engine status.
int SetTableOwner(const Estring& path, const SchemaTable& table);
