#!/usr/bin/env bash
# The bash completion offers exactly the commands and options the program
# lists, directories after -d, and nothing where a value is typed.
source "$(dirname "$0")/install_support.bash"
qdxutil="$build/bin/qdxutil"
source "$source_dir/tools/completion/qdxutil.bash"

# complete WORD... : COMPREPLY for the last word, sorted, one line.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _qdxutil
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
sorted() { tr ' ' '\n' | grep -v '^$' | sort | tr '\n' ' ' | sed 's/ $//'; }

commands=$("$qdxutil" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p' | sorted)
[ -n "$commands" ] || fail "qdxutil --help lists no commands"
got=$(complete_words qdxutil "" | tr ' ' '\n' | grep -v '^-' | sorted)
[ "$got" = "$commands" ] || fail "commands offered: '$got', program has: '$commands'"
[ "$(complete_words qdxutil de)" = "define demo" ] || fail "'de' completes to '$(complete_words qdxutil de)'"

for c in $commands; do
    want=$( ("$qdxutil" "$c" --help | sed -n 1p | grep -oE -- '(^| |\[)--?[a-z][a-z-]*' | tr -d ' ['; echo --help) | sorted)
    got=$(complete_words qdxutil "$c" -)
    [ "$got" = "$want" ] || fail "options of $c: offered '$got', program has '$want'"
done

mkdir -p "$work/tree/ddf-one" "$work/tree/ddf-two"
touch "$work/tree/ddf-file"
got=$(complete_words qdxutil dump -d "$work/tree/ddf")
[ "$got" = "$work/tree/ddf-one $work/tree/ddf-two" ] || fail "-d offers '$got'"
got=$(complete_words qdxutil stat "$work/tree/ddf-f")
[ "$got" = "$work/tree/ddf-file" ] || fail "stat FILE offers '$got'"
for option in --rows --owner --key --limit -e; do
    got=$(cd "$work/tree" && complete_words qdxutil eval "$option" "")
    [ -z "$got" ] || fail "after $option the completion offers '$got'"
done
got=$(complete_words qdxutil dump -d "$work/tree" --ke)
[ "$got" = "--key" ] || fail "dump --ke offers '$got'"
echo "completion checked for: $commands"
