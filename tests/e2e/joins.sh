#!/usr/bin/env bash
# Joins in a real terminal on the demo's Orders: Alt-J, Add, the table list
# titled "Select file to join to", Customers, its first index and the Join
# Key dialog's preset value; Alt-F selects the joined name column, and each
# order's row shows the name of its customer as qdxutil dump gives it.
set -u
source "$(dirname "$0")/tmux_support.bash"

start_program orders
wait_for '100001 ' || fail "orders did not open"

# The record lines of the pane (under the title band, the frame and the header).
records() { tmx capture-pane -p -t qdx | sed -n '7,24p' | sed 's/^║//; s/║$//' | grep -v '^ *$'; }
dump() { (cd "$work/demo" && "$bin/qdxutil" dump "$@"); }

tmx send-keys -t qdx M-j
wait_for 'Manage Joins' || fail "Alt-J did not open Manage Joins"
tmx send-keys -t qdx Insert
wait_for 'Select file to join to' || fail "Add did not show the table list"
tmx send-keys -t qdx C u
sleep 0.5
tmx send-keys -t qdx Enter
wait_for 'Choose Index' || fail "no Choose Index for Customers"
grep -q '0: CustomerId' "$work/pane" || fail "Customers' key 0 is not offered"
tmx send-keys -t qdx Enter
wait_for 'Join Key' || fail "no Join Key dialog"
grep -Eq 'CustomerId +CustomerId' "$work/pane" || fail "the segment's value is not preset from Orders' field"
grep -Eq 'Join Name +Customers' "$work/pane" || fail "the join is not named after the table"
tmx send-keys -t qdx Enter
wait_for '║ Customers +\[ +Edit' || fail "the new join is not listed in Manage Joins"
tmx send-keys -t qdx F10
sleep 0.5

# Alt-F: Orders' own fields from Order_Date to Paid out (lines 3 to 8), the
# join's Name (line 10: after Customers.CustomerId) in; F10 applies.
tmx send-keys -t qdx M-f
wait_for 'Field Selection' || fail "Alt-F did not open Field Selection"
grep -q 'Customers.Name' "$work/pane" || fail "the joined fields are not offered"
tmx send-keys -t qdx Down Down
for _ in 1 2 3 4 5 6; do tmx send-keys -t qdx Space Down; done
tmx send-keys -t qdx Down Space F10
wait_for 'Customers' || fail "no join name over the columns"
wait_for 'OrderNo +CustomerId +Name' || fail "the header is not OrderNo, CustomerId and Name"
grep -q 'Status' "$work/pane" && fail "Status is still shown"

# Each row: the order, its customer and that customer's name (bytes the
# dump writes as code escapes match any one character of the pane).
dump Customers | tail -n +2 | awk -F, '{ print $1 "\t" $2 }' >"$work/names"
dump Orders | sed -n '2,19p' | cut -d, -f1,2 >"$work/orders"
[ "$(wc -l <"$work/orders")" -eq 18 ] || fail "qdxutil dump gave no orders"
sleep 0.5
records >"$work/rows"
[ "$(wc -l <"$work/rows")" -eq 18 ] || fail "the grid does not show 18 rows"
n=0
while IFS=, read -r order customer; do
  n=$((n + 1))
  name=$(awk -F'\t' -v id="$customer" '$1 == id { print $2 }' "$work/names" | sed 's/\\[0-9]\{3\}/./g')
  [ -n "$name" ] || fail "customer $customer of order $order is not in the dump"
  sed -n "${n}p" "$work/rows" | grep -Eq "^ *$order +$customer +$name *\$" ||
    fail "row $n is not order $order of customer $customer ($name): $(sed -n "${n}p" "$work/rows")"
done <"$work/orders"

tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
echo "PASS"
exit 0
