#!/usr/bin/env bash
# qdxutil eval as a new user meets it, on the demo database: a word that
# names no field is read as text, and eval says so on standard error, once
# per word; failures reach standard error too (the message of -e, the count
# of failed records) while standard output keeps one line per evaluation.
#   eval_messages.sh BUILD_DIR
set -u
program="$1/bin/qdxutil"
[ -x "$program" ] || { echo "FAIL: $program not built" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/qdx-evalmsg.XXXXXX")
trap 'rm -rf "$work"' EXIT
env -u DDFPATH "$program" demo "$work/demo" >"$work/demo.log" 2>&1 || { cat "$work/demo.log" >&2; exit 1; }

failures=0
cases=0
w() { printf "warning: '%s' is not a field of %s; read as the text %s\n" "$1" "$2" "$1"; }

# expect NAME EXIT STDOUT_LINES STDERR -- ARGS...: runs qdxutil eval ARGS in
# the demo directory; STDERR is the exact text wanted there.
expect() {
    local name=$1 want_rc=$2 want_lines=$3 want_err=$4
    shift 5
    cases=$((cases + 1))
    (cd "$work/demo" && env -u DDFPATH "$program" eval "$@") >"$work/out" 2>"$work/err" </dev/null
    local rc=$? lines
    lines=$(wc -l <"$work/out")
    local problem=""
    [ "$rc" -eq "$want_rc" ] || problem="exit $rc, wanted $want_rc"
    [ "$lines" -eq "$want_lines" ] || problem="$problem; $lines lines on stdout, wanted $want_lines"
    [ "$(cat "$work/err")" = "$want_err" ] || problem="$problem; stderr was
$(cat "$work/err")
wanted
$want_err"
    if [ -n "$problem" ]; then
        echo "FAIL: $name (eval $*): $problem" >&2
        failures=$((failures + 1))
    fi
}

# Misspelt field names: warned once each, still evaluated as text, exit 0.
expect "Totl over Orders" 0 4 "$(w Totl Orders)" -- --limit 4 Orders "Totl"
expect "Stauts compared" 0 3 "$(w Stauts Orders)" -- --limit 3 Orders "Stauts = 'Shipped'"
expect "one warning per word, any case" 0 2 "$(w Totl Orders)" -- --limit 2 Orders "Totl + totl = TOTL"
expect "words in the order met" 0 2 "$(w a.b Orders; w x_1 Orders)" -- --limit 2 Orders "a.b = x_1 | x_1 = a.b"
expect "bare text value" 0 2 "$(w Shipped Orders)" -- --limit 2 Orders "Status = Shipped"
expect "table name with a space" 1 3 "$(w Qty 'Order Lines'; echo 'qdxutil eval: 3 records failed')" \
    -- --limit 3 "Order Lines" "Qty * UnitPrice"
expect "letters of the code page" 0 1 "$(w Größe Orders)" -- --limit 1 Orders "Größe"
expect "owner-protected table" 0 2 "$(w Bonuss Payroll)" -- --owner paydesk --limit 2 Payroll "STR(Salary) + Bonuss"
expect "'and' for &" 1 2 "$(w and Orders; echo 'qdxutil eval: 2 records failed')" -- --limit 2 Orders "Paid and Paid"

# Not warned: fields in any letter case, quoted words, function names,
# numbers, dates, and words inside a quoted formula for VAL.
expect "field names" 0 3 "" -- --limit 3 Orders "total > 1 & STATUS = 'Open' | order_date > '01/01/1980' & Paid"
expect "quoted text" 0 2 "" -- --limit 2 Orders "Status = \"Shippd\" | Status = 'Opn'"
expect "function names" 0 2 "" -- --limit 2 Orders "LEFT(Status, 2) = 'Sh' & Len (Status) > 0 & round(Total) > 0"
expect "numbers and dotted dates" 0 2 "" -- --limit 2 Orders "Total > 1e3 | Total > 12.5 | Order_Date > 1.1.1980"
expect "inside VAL's text" 0 2 "" -- --limit 2 Orders "VAL('Totl') = 'Totl'"
expect "no table, no fields to miss" 0 1 "" -- -e "Totl"

# Failures: -e keeps its stdout line and says it on stderr; the table form
# counts the records that failed.
expect "-e incomplete" 1 0 "qdxutil eval: Incompatible types" -- -e "1 +"
expect "-e unclosed bracket" 1 0 "qdxutil eval: ) expected" -- -e "(1 + 2"
expect "-e success is quiet" 0 1 "" -- -e "1 + 1"
expect "-e message escaped" 1 0 "qdxutil eval: Unknown function name 'FOO\\nBAR'" -- -e $'FOO\nBAR(1)'
expect "-e message escaped, \\x01" 1 0 "qdxutil eval: Unknown function name 'X\\x01Y'" -- -e $'X\x01Y(1)'
expect "one record of five fails" 1 5 "qdxutil eval: 1 record failed" -- --limit 5 Orders "Total / Priority"
expect "every record fails" 1 3 "qdxutil eval: 3 records failed" -- --limit 3 Orders "Status / 2"
expect "none fail over the whole table" 0 500 "" -- Orders "Total >= 0"

# The -e form writes a failure to stderr only: standard output stays empty.
(cd "$work/demo" && "$program" eval -e "1 / 0") >"$work/both" 2>&1
[ "$(cat "$work/both")" = 'qdxutil eval: Division by zero' ] ||
    { echo "FAIL: -e failure output: $(cat "$work/both")" >&2; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] || { echo "FAIL: $failures of $cases cases" >&2; exit 1; }
echo "qdxutil eval messages: $cases cases"
