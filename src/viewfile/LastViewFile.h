#pragma once
// Where a viewer keeps the last view of each data file: the directory named
// by TMP, else TEMP, else a per-user state directory
// ($XDG_STATE_HOME/quarrydex, by default ~/.local/state/quarrydex, made with
// mode 0700 when missing and used only when it is a directory of this user
// that nobody else may write), then defaultViewName of the data file.

#include <functional>

#include "base/Estring.h"

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The directory, without a trailing "/"; empty when there is none (nothing
// is then written or read).
Estring lastViewDirectory(const EnvironmentLookup& environment);

// The last view file of dataFileName, empty when there is no directory.
Estring lastViewPath(const Estring& dataFileName, const EnvironmentLookup& environment);

// The process environment.
const char* processEnvironment(const char* name);
