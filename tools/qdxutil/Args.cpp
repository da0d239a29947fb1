#include "Args.h"

#include <cstdio>

#include "CommandRegistry.h"
#include "base/CodePage437.h"
#include "btrieve/EngineBinding.h"

namespace qdxutil {

std::string ParsedArgs::Value(const std::string& option, const std::string& fallback) const {
    auto it = values.find(option);
    return it == values.end() ? fallback : it->second;
}

bool ParseArgs(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
               std::initializer_list<const char*> flagOptions, ParsedArgs& out, std::string& error) {
    out = ParsedArgs();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-') {
            out.positional.push_back(a);
            continue;
        }
        std::string name = a, value;
        size_t eq = a.find('=');
        bool inlineValue = eq != std::string::npos && a.compare(0, 2, "--") == 0;
        if (inlineValue) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        bool known = false;
        for (const char* v : valueOptions)
            if (name == v) {
                known = true;
                if (!inlineValue) {
                    if (i + 1 >= args.size()) {
                        error = name + " needs a value";
                        return false;
                    }
                    value = args[++i];
                }
                out.values[name] = value;
            }
        for (const char* f : flagOptions)
            if (name == f && !inlineValue) {
                known = true;
                out.flags.insert(name);
            }
        if (!known) {
            error = "unknown option " + a;
            return false;
        }
    }
    return true;
}

bool ParseCount(const std::string& text, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::string EscapeControls(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int UsageError(const char* commandName, const std::string& message) {
    std::fprintf(stderr, "qdxutil %s: %s\n", commandName, cp437::ToUtf8(EscapeControls(message)).c_str());
    if (const Command* c = FindCommand(commandName)) PrintUsage(*c, true);
    return kExitUsage;
}

int Failure(const char* commandName, const std::string& message) {
    // An engine that could not be loaded explains "20: MKDE Inactive", on the same line.
    std::string engine = EngineLoadFailure();
    std::string why = engine.empty() ? std::string() : " (engine library not loaded: " + engine + ")";
    std::fprintf(stderr, "qdxutil %s: %s%s\n", commandName, cp437::ToUtf8(EscapeControls(message)).c_str(),
                 why.c_str());
    return kExitFailure;
}

}  // namespace qdxutil
