#!/usr/bin/env bash
# A record saved while another process holds the file's write lock: the
# bottom row says "File Locked, waiting" with the file's name. Ctrl+Z gives
# up (the save reports 85 and the file keeps the old name); saved again, the
# wait lasts until the lock goes, then the change reaches the file and the grid.
set -u
source "$(dirname "$0")/tmux_support.bash"

command -v sqlite3 >/dev/null || { echo "SKIP: sqlite3 is missing (nothing else can hold the lock)"; exit 0; }

start_program customers
wait_for '║ +1 Ingrid Gon' || fail "the customers grid did not open on customer 1"

# The holder: a write transaction begun on the file and kept open until its
# input ends (the engine's files are SQLite databases).
mkfifo "$work/hold"
sqlite3 "$demo/customers.dat" <"$work/hold" >"$work/holder.out" 2>&1 &
holder=$!
exec 3>"$work/hold"
echo "BEGIN IMMEDIATE;" >&3
echo "SELECT 'held';" >&3
sleep 0.5

tmx send-keys -t qdx Enter
wait_for ' Record View ' || fail "Enter did not open the record view"
tmx send-keys -t qdx Down Enter
sleep 0.3
tmx send-keys -t qdx -l "Held Back"
tmx send-keys -t qdx Enter
wait_for 'Name: Held Back' || fail "the edited name is not on its line"
tmx send-keys -t qdx F10
wait_for 'File Locked, waiting: .*customers' || fail "no waiting line while the file is locked"
tail -n 1 "$work/pane" | grep -q 'File Locked, waiting' || fail "the waiting line is not on the bottom row"

# Giving up: the save fails with the lock's status, nothing is written.
tmx send-keys -t qdx C-z
wait_for 'Error updating record' || fail "Ctrl+Z did not give up the wait"
grep -q '85: ' "$work/pane" || fail "giving up does not report the locked status"
(cd "$demo" && "$bin/qdxutil" dump Customers) | grep -q '^1,Ingrid Gon' || fail "the refused save changed the file"
tmx send-keys -t qdx Enter
wait_for ' Record View ' || fail "the record view did not come back after the message"
sleep 0.3
tmx capture-pane -p -t qdx >"$work/pane"
grep -q 'Error updating record' "$work/pane" && fail "Enter did not close the message"
grep -q 'File Locked' "$work/pane" && fail "the waiting line stayed after giving up"

# Saved again, still locked: it waits until the lock goes.
tmx send-keys -t qdx F10
wait_for 'File Locked, waiting: .*customers' || fail "no waiting line on the second save"

# The lock goes: the save goes through.
echo "ROLLBACK;" >&3
exec 3>&-
wait "$holder"
wait_for '║ +1 Held Back' || fail "the grid does not show the saved name after the lock went"
grep -q 'File Locked' "$work/pane" && fail "the waiting line stayed after the lock went"
(cd "$demo" && "$bin/qdxutil" dump Customers) | grep -q '^1,Held Back,' || fail "the saved name is not in the file"

tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
echo "PASS"
exit 0
