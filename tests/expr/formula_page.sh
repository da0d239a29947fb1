#!/usr/bin/env bash
# The formula page's examples are what qdxutil eval really prints. Every
# "$ qdxutil eval ..." line of a console block in docs/FORMULAS.md is run in
# a fresh demo database, and its standard output and standard error together
# must be the lines that follow it on the page, exactly; the exit status must
# be 1 when the page shows a failure and 0 otherwise.
#   formula_page.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source_dir=$2
page="$source_dir/docs/FORMULAS.md"
program="$build/bin/qdxutil"
# Fewer examples than this means the page's format changed under the test.
min_examples=60

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ -f "$page" ] || fail "$page missing"
[ -x "$program" ] || fail "$program not built"

work=$(mktemp -d "${TMPDIR:-/tmp}/qdx-formulas.XXXXXX")
trap 'rm -rf "$work"' EXIT
env -u DDFPATH "$program" demo "$work/demo" >"$work/demo.log" 2>&1 || fail "qdxutil demo: $(cat "$work/demo.log")"

# The page's commands call qdxutil by name: this one, in the demo directory.
qdxutil() { env -u DDFPATH -u LC_ALL -u LC_TIME "$program" "$@"; }

examples=0
failures=0
command=""
line_no=0
command_line=0

# Runs the pending command and compares with the lines gathered for it.
check_pending() {
    [ -n "$command" ] || return 0
    examples=$((examples + 1))
    local status want_status=0
    (cd "$work/demo" && eval "$command") </dev/null >"$work/got" 2>&1
    status=$?
    grep -qE '^(error: |qdxutil eval: )' "$work/want" && want_status=1
    if ! diff -u "$work/want" "$work/got" >"$work/diff"; then
        echo "FAIL: line $command_line: $command" >&2
        cat "$work/diff" >&2
        failures=$((failures + 1))
    elif [ "$status" -ne "$want_status" ]; then
        echo "FAIL: line $command_line: $command exited $status, the page shows exit $want_status" >&2
        failures=$((failures + 1))
    fi
    command=""
}

in_block=0
while IFS= read -r line || [ -n "$line" ]; do
    line_no=$((line_no + 1))
    if [ "$in_block" -eq 0 ]; then
        [[ "$line" == '```console' ]] && in_block=1
        continue
    fi
    if [[ "$line" == '```' ]]; then
        check_pending
        in_block=0
    elif [[ "$line" == '$ '* ]]; then
        check_pending
        command=${line#\$ }
        command_line=$line_no
        # Only qdxutil eval runs here: the page is documentation, not a script.
        [[ "$command" == 'qdxutil eval '* ]] || fail "line $line_no runs something other than qdxutil eval: $line"
        : >"$work/want"
    elif [ -n "$command" ]; then
        printf '%s\n' "$line" >>"$work/want"
    else
        fail "line $line_no: output with no command before it in a console block: $line"
    fi
done <"$page"
[ "$in_block" -eq 0 ] || fail "a console block is not closed"

[ "$failures" -eq 0 ] || fail "$failures of $examples examples differ from the page"
[ "$examples" -ge "$min_examples" ] || fail "only $examples examples found (at least $min_examples expected)"
echo "formula page: $examples examples checked"
