#!/usr/bin/env bash
# cmake --install into a scratch prefix: every file in its place, and the
# installed programs work from there, and again after the whole prefix is
# moved, with no environment pointing at the engine.
source "$(dirname "$0")/install_support.bash"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "install: $(cat "$work/install.log")"

libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$libdir" ] || libdir=lib
for f in bin/quarrydex bin/qdxutil "$libdir/libqdxengine.so" share/man/man1/quarrydex.1 share/man/man1/qdxutil.1 \
    share/bash-completion/completions/qdxutil share/doc/quarrydex/README.md share/doc/quarrydex/FORMULAS.md; do
    [ -f "$prefix/$f" ] || fail "$f not installed"
done
[ -x "$prefix/bin/quarrydex" ] && [ -x "$prefix/bin/qdxutil" ] || fail "programs not executable"
# The engine must come from the library directory, not from beside the program.
[ ! -e "$prefix/bin/libqdxengine.so" ] || fail "engine installed beside the programs"
# Nothing of the build tree may leak into the installed run path.
if command -v readelf >/dev/null; then
    for p in quarrydex qdxutil; do
        runpath=$(readelf -d "$prefix/bin/$p" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
        case "$runpath" in
            *"$build"*) fail "$p run path names the build tree: $runpath" ;;
            '$ORIGIN'*) ;;
            *) fail "$p run path is not relative to the program: '$runpath'" ;;
        esac
    done
fi

check_version "$prefix/bin"
check_demo "$prefix/bin" "$work/demo1"

mv "$prefix" "$work/moved"
check_version "$work/moved/bin"
check_demo "$work/moved/bin" "$work/demo2"
echo "installed tree works in place and moved"
