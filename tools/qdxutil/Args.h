#pragma once
// Command-line arguments of one qdxutil subcommand: positional words, options
// with a value ("--owner NAME" or "--owner=NAME") and options without.

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qdxutil {

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    // The option's value, or fallback when it was not given.
    std::string Value(const std::string& option, const std::string& fallback = std::string()) const;
};

// False with error set for an unknown option or an option without its value.
bool ParseArgs(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
               std::initializer_list<const char*> flagOptions, ParsedArgs& out, std::string& error);

// Reads a whole non-negative decimal number; false for anything else.
bool ParseCount(const std::string& text, long long& value);

// Control characters written as escapes (\n, \t, \r, \x01), so that a
// message about bad input stays one line and puts nothing raw on a terminal.
std::string EscapeControls(const std::string& text);

// Prints "qdxutil NAME: message" (escaped) and the command's usage on stderr; returns kExitUsage.
int UsageError(const char* commandName, const std::string& message);
// Prints "qdxutil NAME: message" (escaped) on stderr; returns kExitFailure.
int Failure(const char* commandName, const std::string& message);

}  // namespace qdxutil
