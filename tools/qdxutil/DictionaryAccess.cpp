#include "DictionaryAccess.h"

#include <cstring>
#include <functional>
#include <memory>

#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryWriter.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"

namespace qdxutil {

bool OpenDictionaryFor(Estring& directory, std::string& message) {
    bool searched = directory.IsEmpty();
    Estring failed;
    int failedStatus = 0;
    auto note = [&](int status, Estring& path) {
        failedStatus = status;
        const char* name = !FileDictionary().isOpen()    ? ddf::kFileDictionaryName
                           : !FieldDictionary().isOpen() ? ddf::kFieldDictionaryName
                                                         : ddf::kIndexDictionaryName;
        failed = path.IsEmpty() ? Estring(name) : TableFilePath(path, name);
        return false;
    };
    if (openDictionary(directory, note)) return true;
    message = failed.ToStdString() + ": " + statusText(failedStatus).ToStdString();
    if (searched && failedStatus == 12) message += " (searched " + DictionarySearchList().ToStdString() + ")";
    return false;
}

int ScanTables(const std::function<bool(const ddf::FileRecord&)>& wanted, std::vector<uint8_t>& record) {
    BtrieveFile& files = FileDictionary();
    constexpr int kBufferSize = 4096;
    std::vector<uint8_t> buffer(kBufferSize, 0);
    uint8_t key[256] = {};
    files.setDataLength(kBufferSize);
    int status = files.getFirst(key, buffer.data(), ddf::kFileKeyById);
    while (status == 0) {
        if (files.dataLength() >= ddf::kFileLocation + ddf::kFileLocationWidth &&
            wanted(ddf::DecodeFileRecord(buffer.data()))) {
            record.assign(buffer.begin(), buffer.begin() + ddf::kFileRecordLength);
            return 0;
        }
        std::memset(buffer.data(), 0, buffer.size());
        files.setDataLength(kBufferSize);
        status = files.getNext(key, buffer.data(), ddf::kFileKeyById);
    }
    return status;
}

bool FindTable(const Estring& name, std::vector<uint8_t>& record, std::string& message) {
    const int status = ScanTables([&name](const ddf::FileRecord& entry) { return entry.tableName == name; }, record);
    if (status == 0) return true;
    const std::string files = FileDictionary().fileName().ToStdString();
    if (status != 9) {
        message = files + ": " + statusText(status).ToStdString();
        return false;
    }
    message = "no table named '" + name.ToStdString() + "' in " + files;
    return false;
}

Estring DataFilePath(const Estring& dictionaryDirectory, const Estring& location) {
    return TableFilePath(dictionaryDirectory, location);
}

bool OpenDataFile(BtrieveFile& file, const Estring& path, const std::string& owner, std::string& message) {
    Estring name = owner.empty() ? path : path + "+" + Estring(owner);
    if (file.open(name) == 0) return true;
    message = path.ToStdString() + ": " + statusText(file.status()).ToStdString();
    if (file.status() == 51 && owner.empty()) message += " (give it with --owner NAME)";
    return false;
}

bool OpenTable(Estring& directory, const std::string& tableName, const std::string& owner, OpenedTable& table,
               std::string& message) {
    if (!OpenDictionaryFor(directory, message)) return false;
    std::vector<uint8_t> tableRecord;
    if (!FindTable(Estring(tableName), tableRecord, message)) return false;
    ddf::FileRecord entry = ddf::DecodeFileRecord(tableRecord.data());
    table.path = DataFilePath(directory, entry.location);
    if (!OpenDataFile(table.file, table.path, owner, message)) return false;
    // The definition keeps its reporter: it must not refer to this frame.
    auto reported = std::make_shared<std::string>();
    table.def = std::make_unique<DictionaryDef>(
        tableRecord.data(), table.path, &table.file, [reported](const Estring& first, const Estring& second) {
            if (reported->empty()) *reported = first.ToStdString() + ": " + second.ToStdString();
        });
    if (!table.def->valid) {
        message = table.path.ToStdString() + ": " + *reported;
        return false;
    }
    return true;
}

}  // namespace qdxutil
