#pragma once
// Writing a small file whole: the bytes go to a new file beside the target
// (created exclusively, mode 0600 less nothing the umask removes) which is
// then renamed over it. A crash leaves either the old file or the new one,
// and a symbolic link at the target is replaced, never followed.

#include <string_view>

#include "base/Estring.h"

// Replaces the file at path (8-bit name, "\" taken as "/") with bytes.
// Returns 0 or the error number; on failure the old file is untouched and no
// temporary file is left.
int replaceFile(const Estring& path, std::string_view bytes);
