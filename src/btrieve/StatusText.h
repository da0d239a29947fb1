#pragma once
// statusText: the text shown for an engine status in every error message.

#include "base/Estring.h"

// The status in decimal, ": " and its text ("12: File Not Found"); a status
// without a text of its own gives "<status>: Unknown Error".
Estring statusText(int status);

// Why the engine is inactive, for the line after statusText(status) in a
// message: "engine library not loaded: " and the library tried with the
// loader's reason, when status is 20 and a load failed. Empty otherwise.
Estring EngineFailureText(int status);
