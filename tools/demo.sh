#!/usr/bin/env bash
# Creates the demo database under the build directory when it is missing and
# starts the program on it.
set -eu
build=${1:-build}
bin="$build/bin"
demo="$build/demo"
if [ -x "$bin/qdxutil" ] && [ ! -f "$demo/file.ddf" ]; then
  # --replace: a run cut short earlier may have left some files behind.
  "$bin/qdxutil" demo "$demo" --replace
fi
if [ -d "$demo" ]; then
  cd "$demo"
  exec "../bin/quarrydex"
fi
exec "$bin/quarrydex"
