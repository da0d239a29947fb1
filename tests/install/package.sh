#!/usr/bin/env bash
# The Debian package: declared run-time dependencies, the installed layout
# under /usr, and programs that work once unpacked.
source "$(dirname "$0")/install_support.bash"
command -v cpack >/dev/null || skip "no cpack"
command -v dpkg-deb >/dev/null || skip "no dpkg-deb"

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, got: ${debs[*]}"
deb=${debs[0]}

dpkg-deb --info "$deb" >"$work/info" || fail "dpkg-deb --info"
field() { sed -n "s/^ $1: //p" "$work/info"; }
[ "$(field Package)" = quarrydex ] || fail "package name: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "package version: $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=$(field Depends)
for lib in libncurses libsqlite3 libssl libc6; do
    case "$depends" in
        *"$lib"*) ;;
        *) fail "Depends lacks $lib: $depends" ;;
    esac
done

dpkg-deb --contents "$deb" | awk '{print $NF}' >"$work/contents" || fail "dpkg-deb --contents"
for f in ./usr/bin/quarrydex ./usr/bin/qdxutil ./usr/share/man/man1/quarrydex.1 ./usr/share/man/man1/qdxutil.1 \
    ./usr/share/bash-completion/completions/qdxutil ./usr/share/doc/quarrydex/README.md \
    ./usr/share/doc/quarrydex/FORMULAS.md; do
    grep -qx -- "$f" "$work/contents" || fail "$f not in the package"
done
grep -Eq '^\./usr/lib/(.*/)?libqdxengine\.so$' "$work/contents" || fail "libqdxengine.so not in the package"
if grep -v '^\./usr/' "$work/contents" | grep -qv '^\./$'; then
    fail "files outside /usr: $(grep -v '^\./usr/' "$work/contents" | grep -v '^\./$')"
fi

# Unpacked anywhere, the programs still find their engine.
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
check_version "$work/root/usr/bin"
check_demo "$work/root/usr/bin" "$work/demo"
echo "package $(basename "$deb") checked"
