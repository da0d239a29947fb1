#include "dictionary/Dictionary.h"

#include <sys/stat.h>

#include <cstdlib>

#include "dictionary/DictionaryLayout.h"
#include "base/StdFile.h"
#include "btrieve/BtrieveFile.h"
#include "engine/Contract.h"

namespace {

constexpr int kStatusFileNotFound = qdx::wire::kFileNotFound;

// Constructed together, before the first of them is used; destroyed at exit
// (closing any still open).
struct DictionaryFiles {
    BtrieveFile files;
    BtrieveFile fields;
    BtrieveFile indexes;
};

DictionaryFiles& Files() {
    static DictionaryFiles dictionary;
    return dictionary;
}

// Looks at the name as the engine will open it (BtrieveFile passes the file
// system's form of every name).
bool IsRegularFile(const Estring& path) {
    struct stat st;
    return ::stat(StdFile::NativeName(path.View()).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Estring WithSlashes(const Estring& text) {
    Estring out = text;
    for (int i = 0; i < out.Length(); ++i)
        if (out[i] == '\\') out[i] = '/';
    return out;
}

Estring AsDirectory(const Estring& element) {
    Estring dir = WithSlashes(element);
    if (dir.IsEmpty()) return Estring("./");
    if (dir[dir.Length() - 1] != '/') dir += '/';
    return dir;
}

// Opens the three files in directory; the status of the first failure, or 0.
int OpenAll(const Estring& path) {
    if (path.IsEmpty()) return kStatusFileNotFound;
    Estring dir = AsDirectory(path);
    DictionaryFiles& d = Files();
    if (d.files.open(dir + ddf::kFileDictionaryName) != 0) return d.files.status();
    if (d.fields.open(dir + ddf::kFieldDictionaryName) != 0) return d.fields.status();
    if (d.indexes.open(dir + ddf::kIndexDictionaryName) != 0) return d.indexes.status();
    return 0;
}

}  // namespace

BtrieveFile& FileDictionary() { return Files().files; }
BtrieveFile& FieldDictionary() { return Files().fields; }
BtrieveFile& IndexDictionary() { return Files().indexes; }

Estring DictionarySearchList() {
    const char* value = std::getenv("DDFPATH");
    if (value == nullptr || *value == '\0') return Estring(kDefaultDictionarySearch);
    return Estring(value);
}

bool FindDictionary(const Estring& searchList, Estring& directory) {
    std::string_view rest = searchList.View();
    while (true) {
        size_t end = rest.find_first_of(";:");
        Estring dir = AsDirectory(Estring(rest.substr(0, end)));
        if (IsRegularFile(dir + ddf::kFileDictionaryName)) {
            directory = dir;
            return true;
        }
        if (end == std::string_view::npos) return false;
        rest = rest.substr(end + 1);
    }
}

bool openDictionary(Estring& path, const DictionaryPathPrompt& prompt) {
    Estring searchList = path.IsEmpty() ? DictionarySearchList() : path;
    Estring found;
    if (FindDictionary(searchList, found)) path = found;
    while (true) {
        int status = OpenAll(path);
        if (status == 0) return true;
        if (!prompt || !prompt(status, path)) {
            closeDictionary();
            return false;
        }
    }
}

void closeDictionary() {
    DictionaryFiles& d = Files();
    for (BtrieveFile* f : {&d.files, &d.fields, &d.indexes})
        if (f->isOpen()) f->close();
}

bool openDictionary(Estring& path) {
    // The start-up dialog comes with the dialog toolkit; until then a failure is returned.
    return openDictionary(path, DictionaryPathPrompt());
}
