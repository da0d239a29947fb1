#!/usr/bin/env bash
# Editing records on the demo database in a real terminal: a customer's name
# changed in the record view, a new customer inserted, a byte changed in the
# hex view; each reaches the file (read back with qdxutil dump while the
# program still has it open) and the grid.
set -u
source "$(dirname "$0")/tmux_support.bash"

dump_customer() { (cd "$demo" && "$bin/qdxutil" dump Customers) | grep "^$1,"; }

start_program customers
wait_for '║ +1 Ingrid Gon' || fail "the customers grid did not open on customer 1"
before=$(dump_customer 1)

# Enter on customer 1, the Name line, a new name, F10.
tmx send-keys -t qdx Enter
wait_for ' Record View ' || fail "Enter did not open the record view"
grep -q 'Name: Ingrid Gon' "$work/pane" || fail "the record view does not show the name"
tmx send-keys -t qdx Down Enter
sleep 0.3
tmx send-keys -t qdx -l "Zed Renamed"
tmx send-keys -t qdx Enter
wait_for 'Name: Zed Renamed' || fail "the edited name is not on its line"
tmx send-keys -t qdx F10
wait_for '║ +1 Zed Renamed +New York' || fail "the grid does not show the new name"
grep -q 'Record View' "$work/pane" && fail "F10 did not close the record view"
after=$(dump_customer 1)
[ "$after" = "$(echo "$before" | sed 's/^1,[^,]*,/1,Zed Renamed,/')" ] ||
  fail "dump after the edit: '$after' (before: '$before')"

# Insert: a cleared record; the engine numbers it.
tmx send-keys -t qdx IC
wait_for ' Insert New Record ' || fail "Insert did not open the insert form"
grep -q 'CustomerId: 0' "$work/pane" || fail "the auto-increment field is not zero"
tmx send-keys -t qdx Down Enter
sleep 0.3
tmx send-keys -t qdx -l "Newcomer Ltd"
tmx send-keys -t qdx Enter
wait_for 'Name: Newcomer Ltd' || fail "the new name is not on its line"
tmx send-keys -t qdx F10
wait_for '║ +121 Newcomer Ltd' || fail "the grid does not show the inserted record"
dump_customer 121 | grep -q '^121,Newcomer Ltd,' || fail "dump does not list the inserted record"
[ "$( (cd "$demo" && "$bin/qdxutil" dump Customers) | wc -l)" -eq 122 ] || fail "not one record more"

# Alt-H on customer 1: the Name's first byte (offset 4) typed in the text area.
tmx send-keys -t qdx Home
wait_for '║ +1 Zed Renamed' || fail "Home did not go back to customer 1"
tmx send-keys -t qdx M-h
wait_for ' Hex View ' || fail "Alt-H did not open the hex view"
grep -q '0000: 01 00 00 00  5A 65 64 20' "$work/pane" || fail "the hex view does not show the record's bytes"
tmx send-keys -t qdx Tab Right Right Right Right
tmx send-keys -t qdx -l Q
wait_for '0000: 01 00 00 00  51 65 64 20' || fail "the typed byte is not shown"
tmx send-keys -t qdx F10
wait_for '║ +1 Qed Renamed +New York' || fail "the grid does not show the changed byte"
after_hex=$(dump_customer 1)
[ "$after_hex" = "$(echo "$after" | sed 's/^1,Zed/1,Qed/')" ] || fail "dump after the hex edit: '$after_hex'"

tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
echo "PASS"
exit 0
