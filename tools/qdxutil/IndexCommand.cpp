// qdxutil index [-d DICTDIR] FILE --create SPEC | --drop N: adds a
// supplemental index to a data file or drops one, as Choose Index does in the
// browser. FILE is a data file or the name of a table in the dictionary. The
// fields SPEC names come from the dictionary: the one of -d, else the one
// beside FILE, else the one found along DDFPATH. SPEC is the segments in
// order, separated by ",", each a field name with optional "/" flags: asc,
// desc, case (case-sensitive), nocase (the default for text).

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Args.h"
#include "CommandRegistry.h"
#include "DictionaryAccess.h"
#include "OwnerInput.h"
#include "admin/KeySpecification.h"
#include "base/CodePage437.h"
#include "base/Endian.h"
#include "base/StdFile.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "index";
constexpr long long kHighestKey = DictionaryDef::kMaxIndexes - 1;
constexpr int kStatusEndOfFile = qdx::wire::kEndOfFile;

bool IsDataFile(const std::string& file) {
    struct stat s {};
    return ::stat(StdFile::NativeName(file).c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

bool SameFile(const Estring& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(StdFile::NativeName(a.ToStdString()), StdFile::NativeName(b), ec) && !ec;
}

// The name of the table whose location is file, in the open dictionary of
// directory.
bool TableOfFile(const Estring& directory, const std::string& file, std::string& tableName, std::string& message) {
    std::vector<uint8_t> record;
    const int status = ScanTables(
        [&](const ddf::FileRecord& entry) {
            if (!SameFile(DataFilePath(directory, entry.location), file)) return false;
            tableName = entry.tableName.ToStdString();
            return true;
        },
        record);
    if (status == 0) return true;
    message = FileDictionary().fileName().ToStdString() + ": " +
              (status == kStatusEndOfFile ? "no table has its data in " + file : statusText(status).ToStdString());
    return false;
}

// Opens the table of file (a data file or a table name) with its definition.
bool OpenTableOf(const ParsedArgs& a, const std::string& file, const std::string& owner, OpenedTable& table,
                 std::string& message) {
    Estring directory(a.Value("-d"));
    if (!IsDataFile(file)) {
        // A name with a directory is a file that is not there: the engine says why.
        if (StdFile::NativeName(file).find('/') != std::string::npos) {
            if (OpenDataFile(table.file, Estring(file), owner, message)) message = file + ": not a data file";
            return false;
        }
        return OpenTable(directory, file, owner, table, message);
    }
    if (directory.IsEmpty()) {
        // The dictionary usually sits beside its data files.
        const size_t slash = StdFile::NativeName(file).rfind('/');
        Estring beside(slash == std::string::npos ? std::string() : file.substr(0, slash + 1));
        if (!beside.IsEmpty() && OpenDictionaryFor(beside, message)) directory = beside;
    }
    if (!FileDictionary().isOpen() && !OpenDictionaryFor(directory, message)) return false;
    std::string tableName;
    if (!TableOfFile(directory, file, tableName, message)) return false;
    closeDictionary();
    return OpenTable(directory, tableName, owner, table, message);
}

// The key numbers the open file has now: each key's first Stat entry
// carries its number; the key's segments run until one lacks the
// "another segment follows" flag.
bool KeyNumbers(BtrieveFile& file, std::set<int>& keys) {
    using namespace qdx::wire;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[BtrieveFile::kStatBufferSize]());
    if (file.stat(buffer.get()) != 0) return false;
    const uint8_t* s = buffer.get();
    keys.clear();
    bool first = true;
    for (int segment = 0; keys.size() < s[kSpecKeyCount] && segment < kMaxKeys; ++segment) {
        const uint8_t* entry = s + kSpecHeaderSize + kSegmentEntrySize * segment;
        if (first) keys.insert(entry[kSegKeyNumber]);
        first = (le::GetU16(entry + kSegFlags) & kSegSegmented) == 0;
    }
    return true;
}

int Create(const ParsedArgs& a, const std::string& file, const std::string& owner) {
    OpenedTable table;
    std::string message;
    if (!OpenTableOf(a, file, owner, table, message)) return Failure(kName, message);
    std::vector<IndexSegment> segments;
    std::string error;
    if (!ParseIndexSegments(a.Value("--create"), *table.def, segments, error)) return UsageError(kName, error);
    IndexOptions options;
    options.duplicates = a.Has("--duplicates");
    options.modifiable = a.Has("--modifiable");
    std::set<int> before, after;
    const std::string shown = IsDataFile(file) ? file : table.path.ToStdString();
    if (!KeyNumbers(table.file, before))
        return Failure(kName, shown + ": " + statusText(table.file.status()).ToStdString());
    const int status = CreateIndex(table.file, segments, options);
    if (status != 0) return Failure(kName, shown + ": Couldn't create index: " + statusText(status).ToStdString());
    // The new number is the one the file did not have before.
    if (!KeyNumbers(table.file, after))
        return Failure(kName, shown + ": created, but " + statusText(table.file.status()).ToStdString());
    for (int k : after)
        if (!before.count(k)) {
            std::printf("%s: index %d created\n", cp437::ToUtf8(EscapeControls(shown)).c_str(), k);
            return kExitOk;
        }
    return Failure(kName, shown + ": the new index is not among the file's indexes");
}

int Drop(const ParsedArgs& a, const std::string& file, const std::string& owner, int key) {
    std::string message;
    OpenedTable table;
    if (IsDataFile(file) || StdFile::NativeName(file).find('/') != std::string::npos) {
        // Dropping needs no field names: the dictionary is not read.
        table.path = Estring(file);
        if (!OpenDataFile(table.file, table.path, owner, message)) return Failure(kName, message);
    } else if (!OpenTableOf(a, file, owner, table, message)) {
        return Failure(kName, message);
    }
    const bool renumber = !a.Has("--keep-numbers");
    const std::string shown = table.path.ToStdString();
    const int status = DropIndex(table.file, key, renumber);
    if (status != 0)
        return Failure(kName, shown + ": dropping index " + std::to_string(key) + ": " + statusText(status).ToStdString());
    std::printf("%s: index %d dropped%s\n", cp437::ToUtf8(EscapeControls(shown)).c_str(), key,
                renumber ? ", the indexes above renumbered" : "");
    return kExitOk;
}

int RunIndex(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"-d", "--create", "--drop", "--owner", "--owner-file"},
                   {"--keep-numbers", "--duplicates", "--modifiable"}, a, error))
        return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one FILE expected");
    const bool create = a.values.count("--create") != 0;
    const bool drop = a.values.count("--drop") != 0;
    if (create == drop) return UsageError(kName, "give either --create SPEC or --drop N");
    if (create && a.Has("--keep-numbers")) return UsageError(kName, "--keep-numbers goes with --drop");
    if (drop && (a.Has("--duplicates") || a.Has("--modifiable")))
        return UsageError(kName, "--duplicates and --modifiable go with --create");
    long long key = -1;
    if (drop && (!ParseCount(a.Value("--drop"), key) || key > kHighestKey))
        return UsageError(kName, "--drop needs an index number from 0 to " + std::to_string(kHighestKey));
    std::string owner;
    if (!CurrentOwner(a, owner, error)) return UsageError(kName, error);
    const int result = create ? Create(a, a.positional[0], owner) : Drop(a, a.positional[0], owner, static_cast<int>(key));
    closeDictionary();
    return result;
}

Registration reg{kName,
                 "[-d DICTDIR] FILE --create SPEC [--duplicates] [--modifiable] | --drop N [--keep-numbers] "
                 "[--owner NAME] [--owner-file PATH]",
                 "create an index from SPEC (FIELD[/asc|/desc][/case|/nocase],...) or drop index N", RunIndex};

}  // namespace
}  // namespace qdxutil
