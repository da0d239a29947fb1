#pragma once
// What the dictionary commands share: opening the dictionary of a -d
// directory (or the search path), finding a table by name and opening its
// data file. Failures come back as one line naming the file and the engine
// status text.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/DictionaryLayout.h"
#include "base/Estring.h"

#include "dictionary/DictionaryDef.h"
#include "btrieve/BtrieveFile.h"

namespace qdxutil {

// Opens the process-wide dictionary from directory (searched alone), or
// along DDFPATH when it is empty. On success directory is the one used.
bool OpenDictionaryFor(Estring& directory, std::string& message);

// The file.ddf record of the table named name (A-Z case ignored), read in
// key-0 order. record receives the raw record (ddf::kFileRecordLength bytes).
bool FindTable(const Estring& name, std::vector<uint8_t>& record, std::string& message);
// Reads the open dictionary's table records in id order until wanted
// accepts one, which is left in record. 0 then, 9 when none was accepted,
// another status when a read failed.
int ScanTables(const std::function<bool(const ddf::FileRecord&)>& wanted, std::vector<uint8_t>& record);

// The data file of a location: relative locations are taken from the
// dictionary's directory.
Estring DataFilePath(const Estring& dictionaryDirectory, const Estring& location);

// Opens path, with "+" and owner appended when owner is not empty.
bool OpenDataFile(BtrieveFile& file, const Estring& path, const std::string& owner, std::string& message);

// A table of the dictionary, its data file open and its definition read.
struct OpenedTable {
    Estring path;  // the data file
    BtrieveFile file;
    std::unique_ptr<DictionaryDef> def;
};

// Opens the dictionary of directory (see OpenDictionaryFor), finds the table
// named tableName, opens its data file (with owner when not empty) and reads
// its definition. On failure message names the file and what went wrong.
bool OpenTable(Estring& directory, const std::string& tableName, const std::string& owner, OpenedTable& table,
               std::string& message);

}  // namespace qdxutil
