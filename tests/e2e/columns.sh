#!/usr/bin/env bash
# Sort order, restriction and columns of the grid on the demo's Orders in a
# real terminal: Alt-S to another index reorders the rows, Alt-R with a
# filter shows only the matching rows, Alt-F takes a column out of the
# header, and a calculated column added with Alt-F shows its values.
set -u
source "$(dirname "$0")/tmux_support.bash"

start_program orders
wait_for '100001 ' || fail "orders did not open"

# The record lines of the pane (under the title band, the frame and the header).
records() { tmx capture-pane -p -t qdx | sed -n '7,24p' | sed 's/^║//; s/║$//' | grep -v '^ *$'; }
dump() { (cd "$work/demo" && "$bin/qdxutil" dump "$@"); }

# Alt-S starts on the current index; the next line is key 1 (CustomerId, Order Date descending).
tmx send-keys -t qdx M-s
wait_for 'Choose Index' || fail "no Choose Index dialog"
tmx send-keys -t qdx Down Enter
first=$(dump Orders --key 1 | sed -n 2p | cut -d, -f1)
second=$(dump Orders --key 1 | sed -n 3p | cut -d, -f1)
wait_for "^║ +$first +1 " || fail "Alt-S did not put order $first first"
records | sed -n 2p | grep -Eq "^ +$second " || fail "the second row is not order $second"

# Alt-R: past the two From/To pairs of key 1 to the filter.
tmx send-keys -t qdx M-r
wait_for 'Restrict Records' || fail "no Restrict Records dialog"
tmx send-keys -t qdx Tab Tab Tab Tab
tmx send-keys -t qdx -l "Status = 'Invoiced'"
tmx send-keys -t qdx Enter
sleep 0.5
expected=$(dump Orders --key 1 | awk -F, '$5 == "Invoiced" { print $1, $2, $3, $5 }' | head -18)
# Waits until the record lines, as "OrderNo CustomerId Order_Date Status", are $1 (up to 10 s).
wait_rows() {
  for _ in $(seq 1 100); do
    [ "$(records | awk '{ print $1, $2, $3, $5 }')" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
wait_rows "$expected" || fail "the rows are not the Invoiced orders in key order"

# Alt-F: Status is the fifth field; Space takes it out, F10 applies.
tmx send-keys -t qdx M-f
wait_for 'Field Selection' || fail "no Field Selection dialog"
tmx send-keys -t qdx Down Down Down Down Space F10
sleep 0.5
tmx capture-pane -p -t qdx >"$work/pane"
wait_for 'OrderNo +CustomerId' || fail "the header went"
grep -q 'Status' "$work/pane" && fail "Status is still in the header"
grep -q 'Invoiced' "$work/pane" && fail "Status values are still shown"
# The rows still are the filtered orders: without Status, the record lines start
# "OrderNo CustomerId Order_Date" as before.
[ "$(records | awk '{ print $1, $2, $3 }')" = "$(echo "$expected" | awk '{ print $1, $2, $3 }')" ] ||
  fail "the rows changed with the columns"

# Alt-F, Insert: a calculated column Doubled = Total * 2, 12 wide.
tmx send-keys -t qdx M-f
wait_for 'Field Selection' || fail "no Field Selection dialog"
tmx send-keys -t qdx IC
wait_for 'Add Calculated Field' || fail "no Add Calculated Field dialog"
tmx send-keys -t qdx -l "Doubled"
tmx send-keys -t qdx Tab
tmx send-keys -t qdx -l "Total * 2"
tmx send-keys -t qdx Tab
tmx send-keys -t qdx -l "12"
tmx send-keys -t qdx Enter
wait_for 'Doubled +Calculated' || fail "the new field is not in the list"
tmx send-keys -t qdx F10
# The last columns: Total, Paid, Doubled.
tmx send-keys -t qdx C-End
wait_for 'Doubled ?║' || fail "no Doubled column in the header"
totals=$(dump Orders --key 1 | awk -F, '$5 == "Invoiced" { printf "%.2f %.2f\n", $7, $7 * 2 }' | head -18)
pairs=$(records | awk '{ printf "%.2f %.2f\n", $(NF-2), $NF }')
[ "$pairs" = "$totals" ] || fail "the Doubled column does not show Total * 2: $pairs"

tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
echo "PASS"
exit 0
