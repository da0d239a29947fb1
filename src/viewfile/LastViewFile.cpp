#include "viewfile/LastViewFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/CodePage437.h"
#include "base/StdFile.h"
#include "viewfile/ViewFile.h"

namespace {

constexpr mode_t kPrivateDirectory = 0700;

bool Set(const char* value) { return value != nullptr && *value != '\0'; }

// Makes path and its missing parents (mode 0700); true when path then is a
// directory of this user that no one else may write.
bool PrivateDirectory(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(part.c_str(), kPrivateDirectory) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Environment values are the file system's UTF-8; the program's names are 8-bit.
Estring WithoutTrailingSlash(std::string_view native) {
    std::string converted = cp437::FromUtf8(native);
    std::string_view text(converted);
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) text.remove_suffix(1);
    return Estring(text);
}

}  // namespace

const char* processEnvironment(const char* name) { return std::getenv(name); }

Estring lastViewDirectory(const EnvironmentLookup& environment) {
    const char* tmp = environment("TMP");
    if (Set(tmp)) return WithoutTrailingSlash(tmp);
    const char* temp = environment("TEMP");
    if (Set(temp)) return WithoutTrailingSlash(temp);
    std::string state;
    const char* xdg = environment("XDG_STATE_HOME");
    const char* home = environment("HOME");
    if (Set(xdg) && xdg[0] == '/') state = xdg;  // relative values are to be ignored
    else if (Set(home)) state = std::string(home) + "/.local/state";
    else return Estring();
    std::string directory = WithoutTrailingSlash(state).ToStdString() + "/quarrydex";
    if (!PrivateDirectory(StdFile::NativeName(directory))) return Estring();
    return Estring(directory);
}

Estring lastViewPath(const Estring& dataFileName, const EnvironmentLookup& environment) {
    Estring directory = lastViewDirectory(environment);
    if (directory.IsEmpty()) return directory;
    return directory + "/" + defaultViewName(dataFileName);
}
