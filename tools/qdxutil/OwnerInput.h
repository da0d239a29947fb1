#pragma once
// Owner names given to qdxutil. A name typed on the command line shows in
// the process listing, so every place that takes one also reads it from
// standard input ("-") or, for the current owner, from a file
// (--owner-file PATH). The name is returned in the program's code page and
// kept nowhere else.

#include <string>

#include "Args.h"

namespace qdxutil {

// value as given, or for "-" the first line of standard input (its line end
// removed). False with error set when standard input cannot be read.
bool ResolveOwnerValue(const std::string& value, std::string& name, std::string& error);

// The current owner of the file: --owner NAME (or "-"), or the first line of
// --owner-file PATH; empty when neither is given. False with error set when
// both are given, the file cannot be read, or it holds no name.
bool CurrentOwner(const ParsedArgs& args, std::string& owner, std::string& error);

}  // namespace qdxutil
