#!/usr/bin/env bash
# Bulk commands in a real terminal on the demo database: Alt-T totals the
# Orders (the sum checked against qdxutil dump's), Alt-M sets a field on a
# filtered view and changes exactly the records the filter accepts, and
# Alt-G with a customer number puts the grid's cursor on that customer.
set -u
source "$(dirname "$0")/tmux_support.bash"

dump() { (cd "$work/demo" && "$bin/qdxutil" dump "$1"); }

# --- totals ------------------------------------------------------------------
orders=$(dump Orders | tail -n +2 | wc -l)
sum=$(dump Orders | tail -n +2 | awk -F, '{ cents += sprintf("%.0f", $7 * 100) } END { printf "%.2f", cents / 100 }')
start_program "orders"
wait_for 'OrderNo' || fail "orders did not open"
tmx send-keys -t qdx M-t
wait_for "Totals for $orders selected records" || fail "Alt-T showed no totals for $orders orders"
grep -Eq "Total: $sum( |║|$)" "$work/pane" || fail "the total of Total is not $sum"
grep -Eq "OrderNo: [0-9]+" "$work/pane" || fail "no total of OrderNo"
grep -q 'ESC=Close' "$work/pane" || fail "no bottom line on the totals"
tmx send-keys -t qdx Escape
for _ in $(seq 1 50); do
  tmx capture-pane -p -t qdx >"$work/pane"
  grep -q 'Totals for' "$work/pane" || break
  sleep 0.1
done
grep -q 'Totals for' "$work/pane" && fail "Esc did not close the totals"

# --- modify all on a filtered view -------------------------------------------
dump Orders >"$work/before.csv"
# Alt-R: past the OrderNo bounds to the filter.
tmx send-keys -t qdx M-r
wait_for 'Restrict Records' || fail "Alt-R did not open the restriction"
tmx send-keys -t qdx Tab Tab
tmx send-keys -t qdx -l 'Priority = 2'
tmx send-keys -t qdx Enter
for _ in $(seq 1 50); do
  tmx capture-pane -p -t qdx >"$work/pane"
  grep -q 'Restrict Records' "$work/pane" || break
  sleep 0.1
done
grep -q 'Restrict Records' "$work/pane" && fail "the restriction did not close"
# Alt-M: Status (the fifth field) set to "Held".
tmx send-keys -t qdx M-m
wait_for 'Modify All In View' || fail "Alt-M did not open Modify All In View"
tmx send-keys -t qdx Down Down Down Down Enter
sleep 0.3
tmx send-keys -t qdx -l '"Held"'
tmx send-keys -t qdx Enter
wait_for 'Status: "Held"' || fail "the formula did not stay with Status"
tmx send-keys -t qdx F10
wait_for 'Are you sure you want to modify all selected records' || fail "F10 did not ask"
tmx send-keys -t qdx Enter
for _ in $(seq 1 100); do
  tmx capture-pane -p -t qdx >"$work/pane"
  grep -Eq 'Modify All In View|Modified: ' "$work/pane" || break
  sleep 0.1
done
wait_for 'Held' || fail "the grid does not show the changed records"
tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
dump Orders >"$work/after.csv"
# The expected file: Status (column 5) becomes Held exactly where Priority (column 6) is 2.
awk -F, -v OFS=, 'NR > 1 && $6 == 2 { $5 = "Held" } { print }' "$work/before.csv" >"$work/expected.csv"
cmp -s "$work/expected.csv" "$work/after.csv" || {
  diff "$work/expected.csv" "$work/after.csv" | head
  fail "modify all did not change exactly the records with Priority 2"
}
changed=$(awk -F, 'NR > 1 && $6 == 2' "$work/before.csv" | wc -l)
[ "$changed" -gt 0 ] || fail "the demo has no order of priority 2"

# --- go to a customer ----------------------------------------------------------
start_program "customers"
wait_for 'CustomerId' || fail "customers did not open"
dump Customers | awk -F, '$1 == 87 { found = 1 } END { exit !found }' || fail "the demo has no customer 87"
tmx send-keys -t qdx M-g
wait_for 'Goto Record' || fail "Alt-G did not open Goto Record"
tmx send-keys -t qdx -l '87'
tmx send-keys -t qdx Enter
for _ in $(seq 1 50); do
  tmx capture-pane -p -t qdx >"$work/pane"
  grep -q 'Goto Record' "$work/pane" || break
  sleep 0.1
done
grep -q 'Goto Record' "$work/pane" && fail "the go-to dialog did not close"
# The grid's first record line is customer 87.
first=$(grep -E '^║ +[0-9]+ ' "$work/pane" | head -1)
echo "$first" | grep -Eq '^║ +87 ' || fail "the grid did not go to customer 87: $first"
tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
echo "PASS"
exit 0
