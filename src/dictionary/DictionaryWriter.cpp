#include "dictionary/DictionaryWriter.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "dictionary/DictionaryLayout.h"
#include "dictionary/FileSpecification.h"
#include "base/StdFile.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineBinding.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"

namespace {

constexpr int kStatusFileExists = qdx::wire::kFileExists;
constexpr int kStatusDirectoryError = qdx::wire::kDirectoryError;

// The name as the engine takes it (BtrieveFile passes the file system's form
// of every name), so that what is checked here is what the engine creates.
std::string SystemPath(const Estring& path) { return StdFile::NativeName(path.View()); }

bool Exists(const Estring& path) {
    struct stat st;
    return ::stat(SystemPath(path).c_str(), &st) == 0;
}

Estring Failure(const Estring& path, int status) { return path + ": " + statusText(status); }

// Inserts the dictionary records of every table into the three open files.
int WriteDictionaryRecords(const std::vector<DefinedTable>& tables, BtrieveFile& files, BtrieveFile& fields,
                           BtrieveFile& indexes, Estring& failedFile) {
    uint16_t nextFieldId = 1;
    for (const DefinedTable& d : tables) {
        const SchemaTable& t = *d.table;
        uint8_t fileRecord[ddf::kFileRecordLength];
        ddf::EncodeFileRecord(ddf::FileRecord{d.tableId, t.name, t.location,
                                              static_cast<uint8_t>(t.dictionary ? ddf::kTableDictionary : 0)},
                              fileRecord);
        files.setDataLength(ddf::kFileRecordLength);
        if (files.insertRecord(fileRecord) != 0) {
            failedFile = files.fileName();
            return files.status();
        }
        std::vector<uint16_t> fieldIds;
        for (const SchemaField& f : t.fields) {
            fieldIds.push_back(nextFieldId);
            uint8_t record[ddf::kFieldRecordLength];
            ddf::EncodeFieldRecord(ddf::FieldRecord{nextFieldId++, d.tableId, f.name, f.type,
                                                    static_cast<uint16_t>(f.offset), static_cast<uint16_t>(f.size),
                                                    static_cast<uint8_t>(f.decimals), f.flags},
                                   record);
            fields.setDataLength(ddf::kFieldRecordLength);
            if (fields.insertRecord(record) != 0) {
                failedFile = fields.fileName();
                return fields.status();
            }
        }
        for (const SchemaIndex& index : t.indexes) {
            for (size_t s = 0; s < index.segments.size(); ++s) {
                uint8_t record[ddf::kIndexRecordLength];
                ddf::EncodeIndexRecord(ddf::IndexRecord{d.tableId, fieldIds[static_cast<size_t>(index.segments[s].field)],
                                                        static_cast<uint16_t>(index.number),
                                                        static_cast<uint16_t>(s), index.DictionaryFlags(s)},
                                       record);
                indexes.setDataLength(ddf::kIndexRecordLength);
                if (indexes.insertRecord(record) != 0) {
                    failedFile = indexes.fileName();
                    return indexes.status();
                }
            }
        }
    }
    return 0;
}

}  // namespace

Estring TableFilePath(const Estring& directory, const Estring& location) {
    Estring loc = location;
    for (int i = 0; i < loc.Length(); ++i)
        if (loc[i] == '\\') loc[i] = '/';
    if (loc.Length() > 0 && loc[0] == '/') return loc;
    Estring dir = directory;
    for (int i = 0; i < dir.Length(); ++i)
        if (dir[i] == '\\') dir[i] = '/';
    if (dir.IsEmpty() || dir == ".") return loc;
    if (dir[dir.Length() - 1] != '/') dir += '/';
    return dir + loc;
}

int SetTableOwner(const Estring& path, const SchemaTable& table) {
    BtrieveFile file;
    if (file.open(path) != 0) return file.status();
    int status = file.setOwner(table.owner, table.ownerMode);
    file.close();
    return status;
}

bool DefineDatabase(const Estring& directory, const Schema& schema, const DefineOptions& options, Estring& message,
                    std::vector<DefinedTable>* tablesOut) {
    std::vector<DefinedTable> tables;
    int16_t nextId = 1;
    for (const Schema* part : {&DictionarySchema(), &schema})
        for (const SchemaTable& t : part->tables)
            tables.push_back(DefinedTable{&t, nextId++, TableFilePath(directory, t.location)});

    // Refuse before writing anything.
    for (const DefinedTable& d : tables)
        if (d.path.FindChar('+') >= 0) {
            message = Failure(d.path, kStatusInvalidFileName) + " (a \"+\" in a file name starts the owner name)";
            return false;
        }
    if (!options.replace)
        for (const DefinedTable& d : tables)
            if (d.table->createFile && Exists(d.path)) {
                message = Failure(d.path, kStatusFileExists) + " (--replace replaces it)";
                return false;
            }
    for (const DefinedTable& d : tables) {
        if (!d.table->createFile) continue;
        std::filesystem::path parent = std::filesystem::path(SystemPath(d.path)).parent_path();
        std::error_code ec;
        if (!parent.empty()) std::filesystem::create_directories(parent, ec);
        if (ec) {
            message = Failure(d.path, kStatusDirectoryError) + " (" + Estring(ec.message()) + ")";
            return false;
        }
    }

    std::vector<Estring> created;
    auto undo = [&]() {
        for (const Estring& path : created) std::remove(SystemPath(path).c_str());
    };
    for (const DefinedTable& d : tables) {
        if (!d.table->createFile) continue;
        bool existed = Exists(d.path);
        std::vector<uint8_t> spec = BuildFileSpecification(*d.table);
        int status = BtrieveFile::createFile(spec.data(), static_cast<int>(spec.size()), d.path, options.replace);
        if (status != 0) {
            message = Failure(d.path, status);
            undo();
            return false;
        }
        if (!existed) created.push_back(d.path);
    }

    {
        BtrieveFile files, fields, indexes;
        BtrieveFile* open[] = {&files, &fields, &indexes};
        for (int i = 0; i < 3; ++i)
            if (open[i]->open(tables[static_cast<size_t>(i)].path) != 0) {
                message = Failure(tables[static_cast<size_t>(i)].path, open[i]->status());
                for (BtrieveFile* f : open) f->close();
                undo();
                return false;
            }
        Estring failedFile;
        int status = WriteDictionaryRecords(tables, files, fields, indexes, failedFile);
        for (BtrieveFile* f : open) f->close();
        if (status != 0) {
            message = Failure(failedFile, status);
            undo();
            return false;
        }
    }

    if (options.setOwners)
        for (const DefinedTable& d : tables)
            if (d.table->createFile && !d.table->owner.IsEmpty()) {
                int status = SetTableOwner(d.path, *d.table);
                if (status != 0) {
                    message = Failure(d.path, status);
                    undo();
                    return false;
                }
            }
    if (tablesOut) *tablesOut = tables;
    return true;
}
