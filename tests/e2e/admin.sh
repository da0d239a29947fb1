#!/usr/bin/env bash
# File administration in a real terminal on the demo's Orders: the File
# Statistics window (Ctrl-L), an index created from Choose Index (Alt-S,
# Insert) that the grid then sorts by, the same index dropped (Delete), and an
# encrypting owner set with Alt-O that reopening the table asks for.
set -u
source "$(dirname "$0")/tmux_support.bash"

# Sends keys, then gives the program a moment to draw.
keys() {
  tmx send-keys -t qdx "$@"
  sleep 0.4
}
pane() { tmx capture-pane -p -t qdx >"$work/pane"; }
# The first order number of the grid.
first_order() { pane; sed -n 's/^║ *\(1[0-9]\{5\}\) .*/\1/p' "$work/pane" | head -1; }

start_program orders
wait_for '100001 ' || fail "orders did not open"

# Statistics, with the record count Stat gives.
records=$("$bin/qdxutil" stat "$demo/orders.dat" | sed -n 's/^Number of Records : //p')
[ -n "$records" ] || fail "qdxutil stat gave no record count"
keys C-l
wait_for 'File Statistics for' || fail "Ctrl-L showed no statistics"
wait_for "Number of Records : $records " || fail "the statistics lack 'Number of Records : $records'"
grep -q 'orders\.dat' "$work/pane" || fail "the statistics do not name orders.dat"
grep -q 'Indexes           : 3 ' "$work/pane" || fail "the statistics do not count 3 indexes"
keys Escape
wait_for '^ F1=Help' || fail "Esc did not close the statistics"

# A descending index on OrderNo: OrderNo is the first field, Enter adds it,
# Tab goes to the segment list, Alt-O turns it descending, Enter creates.
keys M-s
wait_for 'Choose Index' || fail "Alt-S showed no Choose Index"
keys Insert
wait_for 'Create Index' || fail "Insert showed no Create Index"
keys Enter
keys Tab
keys M-o
wait_for 'OrderNo +D ' || fail "the segment is not OrderNo descending"
keys Enter
wait_for ' 3: OrderNo' || fail "Choose Index does not list the new index 3"
"$bin/qdxutil" stat "$demo/orders.dat" | grep -q '^Key 3: 1 segment, unique' || fail "the file has no key 3"
keys End
keys Enter
wait_for '100500 ' || fail "the grid was not sorted by the new index"
[ "$(first_order)" = 100500 ] || fail "the grid starts at $(first_order), not at the highest order"

# Dropped again: the grid goes back to physical order.
keys M-s
wait_for ' 3: OrderNo' || fail "Choose Index lost index 3"
keys Delete
wait_for 'drop index 3\?' || fail "Delete did not ask to drop index 3"
keys Enter
sleep 0.5
pane
grep -q ' 3: OrderNo' "$work/pane" && fail "index 3 is still listed after the drop"
"$bin/qdxutil" stat "$demo/orders.dat" | grep -q '^Indexes           : 3$' || fail "the file does not have 3 indexes again"
keys Escape
wait_for '100001 ' || fail "the grid did not go back to physical order"
[ "$(first_order)" = 100001 ] || fail "the grid starts at $(first_order) after the drop"

# An encrypting owner: the name, Tab to the check boxes, Down to Encrypt,
# Space, Enter (Set), the name once more, Enter, and the message.
keys M-o
wait_for 'Modify File Owner' || fail "Alt-O showed no Modify File Owner"
keys m o l e
keys Tab
keys Down
keys Space
wait_for '\[X\]  Encrypt' || fail "Encrypt is not checked"
pane
grep -q 'mole' "$work/pane" && fail "the owner name is shown"
keys Enter
wait_for 'Confirm Owner Name' || fail "Set did not ask for the name again"
keys m o l e Enter
wait_for 'Owner successfully set' || fail "no 'Owner successfully set'"
keys Enter
"$bin/qdxutil" dump -d "$demo" Orders >/dev/null 2>&1 && fail "orders.dat reads without its owner"
"$bin/qdxutil" dump -d "$demo" Orders --owner mole | grep -q '^100001,' || fail "orders.dat does not read with its owner"

# Reopening the table asks for the name.
keys Escape
wait_for '║Orders' || fail "Esc did not go back to the table list"
keys Enter
wait_for 'Owner requried' || fail "reopening Orders did not ask for the owner"
keys m o l e Enter
wait_for '100001 ' || fail "the owner name did not open Orders"
keys M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
echo "PASS"
exit 0
