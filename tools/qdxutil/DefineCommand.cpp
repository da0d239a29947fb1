// qdxutil define DIR SCHEMA [--replace]: the dictionary and empty data files
// of a schema written by hand (docs/SCHEMA.md).

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "Args.h"
#include "CommandRegistry.h"
#include "dictionary/DictionaryWriter.h"
#include "dictionary/Schema.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "define";

int RunDefine(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {}, {"--replace"}, a, error)) return UsageError(kName, error);
    if (a.positional.size() != 2) return UsageError(kName, "DIR and SCHEMA expected");
    const std::string& dir = a.positional[0];
    const std::string& schemaPath = a.positional[1];
    std::ifstream in(schemaPath, std::ios::binary);
    if (!in) return Failure(kName, schemaPath + ": cannot be read");
    std::stringstream text;
    text << in.rdbuf();
    Schema schema;
    SchemaError schemaError;
    if (!ParseSchema(text.str(), schema, schemaError))
        return Failure(kName, schemaPath + ":" + std::to_string(schemaError.line) + ": " +
                                  schemaError.message.ToStdString());
    DefineOptions options;
    options.replace = a.Has("--replace");
    Estring message;
    if (!DefineDatabase(Estring(dir), schema, options, message)) return Failure(kName, message.ToStdString());
    std::printf("%s: dictionary and %zu table%s defined\n", dir.c_str(), schema.tables.size(),
                schema.tables.size() == 1 ? "" : "s");
    return kExitOk;
}

Registration reg{kName, "DIR SCHEMA [--replace]",
                 "create the dictionary files and empty data files in DIR from a schema text file", RunDefine};

}  // namespace
}  // namespace qdxutil
