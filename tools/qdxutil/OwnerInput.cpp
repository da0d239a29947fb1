#include "OwnerInput.h"

#include <cstdio>
#include <memory>

#include "base/CodePage437.h"
#include "base/StdFile.h"

namespace qdxutil {
namespace {

// One line without its "\n" or "\r\n"; false when nothing could be read.
bool ReadFirstLine(FILE* in, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(in)) != EOF) {
        any = true;
        if (c == '\n') break;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

}  // namespace

bool ResolveOwnerValue(const std::string& value, std::string& name, std::string& error) {
    if (value != "-") {
        name = value;
        return true;
    }
    std::string line;
    if (!ReadFirstLine(stdin, line)) {
        error = "no owner name on standard input";
        return false;
    }
    name = cp437::FromUtf8(line);
    return true;
}

bool CurrentOwner(const ParsedArgs& args, std::string& owner, std::string& error) {
    owner.clear();
    const bool named = args.values.count("--owner") != 0;
    const bool inFile = args.values.count("--owner-file") != 0;
    if (named && inFile) {
        error = "--owner and --owner-file exclude each other";
        return false;
    }
    if (named) return ResolveOwnerValue(args.Value("--owner"), owner, error);
    if (!inFile) return true;
    const std::string path = args.Value("--owner-file");
    std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(StdFile::NativeName(path).c_str(), "rb"), std::fclose);
    std::string line;
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    if (!ReadFirstLine(in.get(), line) || line.empty()) {
        error = path + ": holds no owner name";
        return false;
    }
    owner = cp437::FromUtf8(line);
    return true;
}

}  // namespace qdxutil
