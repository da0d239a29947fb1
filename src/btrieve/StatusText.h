#pragma once
// statusText: the text shown for an engine status in every error message.

#include "base/Estring.h"

// The status in decimal, ": " and its text ("12: File Not Found"); a status
// without a text of its own gives "<status>: Unknown Error".
Estring statusText(int status);
