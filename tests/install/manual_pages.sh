#!/usr/bin/env bash
# The manual pages render without a single groff warning, and qdxutil's page
# names every command and option the program itself lists.
source "$(dirname "$0")/install_support.bash"
command -v groff >/dev/null || skip "no groff"
man="$source_dir/docs/man"
qdxutil="$build/bin/qdxutil"

for page in "$man/quarrydex.1" "$man/qdxutil.1"; do
    [ -f "$page" ] || fail "$page missing"
    groff -ww -z -man "$page" >"$work/groff.out" 2>&1 || fail "groff failed on $page: $(cat "$work/groff.out")"
    [ ! -s "$work/groff.out" ] || fail "groff warns about $(basename "$page"): $(cat "$work/groff.out")"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES "EXIT STATUS" EXAMPLES; do
        grep -q "^\.SH \"\{0,1\}$section\"\{0,1\}\$" "$page" || fail "$(basename "$page") has no $section section"
    done
done

# The command list of "qdxutil --help": two-blank indent, then the name.
commands=$("$qdxutil" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p')
[ -n "$commands" ] || fail "qdxutil --help lists no commands"
for c in $commands; do
    grep -q "^\\\\fB$c\\\\fR" "$man/qdxutil.1" || fail "qdxutil.1 does not describe the $c command"
    # Every option of the command's usage line is explained under OPTIONS.
    for o in $("$qdxutil" "$c" --help | sed -n 1p | grep -oE -- '(^| |\[)--?[a-z][a-z-]*' | tr -d ' ['); do
        sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$man/qdxutil.1" | grep -qE -- "^\.(B|BI|BR) $(printf "%s" "$o" | sed 's/-/\\\\-/g')( |\$)" ||
            fail "qdxutil.1 does not explain $o of $c"
    done
done
echo "manual pages checked: $(echo $commands)"
