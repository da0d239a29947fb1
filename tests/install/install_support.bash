# Shared by the install tests: arguments, a scratch directory removed on
# exit, and fail/skip helpers.
set -u
build=$1
source_dir=$2
version=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/qdx-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
skip() {
    echo "SKIP: $*"
    exit 77
}

# Runs a program as a user would, with nothing pointing at the build tree.
run_clean() {
    env -u LD_LIBRARY_PATH -u QDX_ENGINE_LIBRARY -u DDFPATH "$@"
}

# The demo database written by an installed qdxutil must be readable by it.
check_demo() {
    local bindir=$1 demo=$2
    run_clean "$bindir/qdxutil" demo "$demo" --rows 20 >"$work/demo.out" 2>&1 ||
        fail "qdxutil demo from $bindir: $(cat "$work/demo.out")"
    [ -f "$demo/file.ddf" ] || fail "demo wrote no dictionary"
    run_clean "$bindir/qdxutil" stat "$demo/orders.dat" >"$work/stat.out" 2>&1 ||
        fail "qdxutil stat: $(cat "$work/stat.out")"
    # 20 orders were asked for; the count must be the engine's, not a guess.
    grep -Eq '^Number of Records : 20$' "$work/stat.out" || fail "stat does not show 20 records: $(cat "$work/stat.out")"
}

check_version() {
    local bindir=$1 out
    out=$(run_clean TERM=dumb "$bindir/quarrydex" --version </dev/null 2>"$work/version.err") ||
        fail "quarrydex --version exited with $?"
    [ "$out" = "quarrydex $version" ] || fail "quarrydex --version printed '$out'"
    [ ! -s "$work/version.err" ] || fail "quarrydex --version wrote to stderr: $(cat "$work/version.err")"
}
