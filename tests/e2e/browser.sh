#!/usr/bin/env bash
# The browser on the demo database in a real terminal: the table list,
# type-ahead, the grid and its paging, the owner prompt, the creation offer,
# a file named on the command line, an unknown file, a missing dictionary,
# a resize, and Alt-X.
set -u
source "$(dirname "$0")/tmux_support.bash"

# tmux_support has written the demo database to $demo.

start_program ""
wait_for 'file\.ddf' || fail "no table list"
for table in Customers Orders Payroll Products Suppliers; do
  grep -q "$table" "$work/pane" || fail "table list lacks $table"
done
tmx send-keys -t qdx P r
sleep 0.5
# Type-ahead: the list starts at Products now.
wait_for '║Products +products\.dat' || fail "type-ahead did not move to Products"
tmx send-keys -t qdx Escape
wait_for 'EXIT=0' || fail "Esc in the table list did not end with 0"

start_program "orders"
wait_for 'OrderNo' || fail "orders did not open from the command line"
wait_for '100001 ' || fail "first order not shown"
grep -q 'F1=Help  ESC=Back' "$work/pane" || fail "no bottom line"
grep -q ' Orders ' "$work/pane" || fail "no title"
tmx send-keys -t qdx PageDown
wait_for '100019 ' || fail "Page Down did not move a page"
tmx send-keys -t qdx End
wait_for '100500 ' || fail "End did not reach the last order"
tmx send-keys -t qdx C-End
sleep 0.5
tmx capture-pane -p -t qdx >"$work/pane"
grep -q 'OrderNo' "$work/pane" && fail "Ctrl-End did not scroll to the last column"
tmx resize-window -t qdx -x 100 -y 30
wait_for 'Restrict ═{25}' || fail "the grid was not drawn again at 100 columns"
tmx capture-pane -p -t qdx >"$work/pane"
[ "$(wc -l <"$work/pane")" -ge 30 ] || fail "pane did not grow"
last_date=$(cd "$work/demo" && "$bin/qdxutil" dump Orders | tail -1 | cut -d, -f3)
grep -q "$last_date" "$work/pane" || fail "the last record ($last_date) went after the resize"
tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
modes=$(tmx display-message -p -t qdx '#{alternate_on} #{cursor_flag}')
[ "$modes" = "0 1" ] || fail "terminal not restored after Alt-X: $modes"

start_program ""
wait_for 'file\.ddf' || fail "no table list"
tmx send-keys -t qdx P a Enter
wait_for 'Owner requried' || fail "no owner prompt"
tmx send-keys -t qdx w r o n g Enter
sleep 0.7
wait_for 'Owner requried' || fail "a wrong name did not ask again"
tmx send-keys -t qdx BSpace BSpace BSpace BSpace BSpace p a y d e s k Enter
wait_for 'EmployeeNo' || fail "the owner name did not open Payroll"
tmx send-keys -t qdx Escape
wait_for '║Payroll' || fail "Esc did not go back to the table list"
tmx send-keys -t qdx S u Enter
wait_for 'File does not exist, create it\?' || fail "no creation offer"
tmx send-keys -t qdx Enter
wait_for 'SupplierId' || fail "the created file did not open"
[ -e "$work/demo/suppliers.dat" ] || fail "suppliers.dat was not created"
tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"

start_program "nosuch.dat"
wait_for 'Unknown file: nosuch\.dat' || fail "no Unknown file message"
grep -q 'Choose a definition for the file' "$work/pane" || fail "no second line"
tmx send-keys -t qdx Escape
wait_for 'EXIT=0' || fail "Esc did not end the program"

start_program "-d /nonexistent"
wait_for 'Error opening dictionary files' || fail "no dictionary prompt"
grep -q 'Enter Path:' "$work/pane" || fail "no path field"
tmx send-keys -t qdx Escape
wait_for 'EXIT=1' || fail "Esc at the dictionary prompt did not end with 1"
echo "PASS"
exit 0
