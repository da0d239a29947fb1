#!/usr/bin/env bash
# Export and views in a real terminal on the demo database: Alt-E writes the
# Customers view as CSV, equal to qdxutil export's; F2 saves a view sorted
# by name and F3 loads it back, and Alt-E of the loaded view equals qdxutil
# export --view of the same file; leaving the grid writes the last view file
# and Shift-F3 brings it back in a fresh grid.
set -u
source "$(dirname "$0")/tmux_support.bash"

mkdir -p "$work/tmp"

start_env="export TMP=\"$work/tmp\""

# The grid's record lines (the pane less its first five lines and the bottom line).
grid() { tmx capture-pane -p -t qdx | sed -n '6,24p'; }

start_program "customers"
wait_for 'CustomerId' || fail "customers did not open"
default_grid=$(grid)

# Alt-E: the Export Records dialog; Export writes customers.csv beside the data file.
tmx send-keys -t qdx M-e
wait_for 'Export Records' || fail "Alt-E did not open the export dialog"
grep -q 'File Name: customers' "$work/pane" || fail "the file name is not offered"
grep -q 'Selected records only' "$work/pane" || fail "no record choice"
tmx send-keys -t qdx Enter
for _ in $(seq 1 100); do
  tmx capture-pane -p -t qdx >"$work/pane"
  grep -q 'Export Records' "$work/pane" || break
  sleep 0.1
done
grep -q 'Export Records' "$work/pane" && fail "the export dialog did not close"
[ -s "$work/demo/customers.csv" ] || fail "customers.csv was not written"
(cd "$work/demo" && "$bin/qdxutil" export Customers -o "$work/expected.csv") || fail "qdxutil export failed"
cmp "$work/demo/customers.csv" "$work/expected.csv" || fail "Alt-E and qdxutil export differ"
[ "$(head -c 2 "$work/demo/customers.csv" | od -An -c | tr -d ' ')" = "Cu" ] || fail "no heading"
[ "$(grid)" = "$default_grid" ] || fail "the grid changed after the export"

# Sort by Name (index 1), then F2 saves the view as customers.qdx.
tmx send-keys -t qdx M-s
wait_for 'Choose Index' || fail "Alt-S did not open Choose Index"
tmx send-keys -t qdx Down Enter
sleep 0.5
wait_for '║ *[0-9]+ A' || fail "the grid is not sorted by name"
by_name=$(grid)
tmx send-keys -t qdx F2
wait_for 'Save As' || fail "F2 did not open the file dialog"
grep -q 'customers\.qdx' "$work/pane" || fail "the default view name is not offered"
tmx send-keys -t qdx Enter
sleep 0.5
printf '[QDX v1.0 View File]\nDictionaryName=Customers\nIndex=1\n\n' >"$work/expected.qdx"
cmp "$work/demo/customers.qdx" "$work/expected.qdx" || fail "the saved view is not the sorted one"

# Back to key order, then F3 loads the saved view.
tmx send-keys -t qdx M-s
wait_for 'Choose Index' || fail "Alt-S did not open Choose Index again"
tmx send-keys -t qdx Up Enter
sleep 0.5
[ "$(grid)" = "$default_grid" ] || fail "key order did not come back"
tmx send-keys -t qdx F3
wait_for 'Open File' || fail "F3 did not open the file dialog"
tmx send-keys -t qdx Tab Enter
sleep 0.7
[ "$(grid)" = "$by_name" ] || fail "F3 did not bring back the saved view"

# The loaded view exported with Alt-E is what qdxutil export writes for that view file.
tmx send-keys -t qdx M-e
wait_for 'Export Records' || fail "Alt-E did not open the export dialog on the loaded view"
tmx send-keys -t qdx Enter
for _ in $(seq 1 100); do
  tmx capture-pane -p -t qdx >"$work/pane"
  grep -q 'Export Records' "$work/pane" || break
  sleep 0.1
done
(cd "$work" && "$bin/qdxutil" export -d "$work/demo" --view "$work/demo/customers.qdx" Customers \
  -o "$work/expected-view.csv") || fail "qdxutil export --view failed"
cmp "$work/demo/customers.csv" "$work/expected-view.csv" || fail "Alt-E and qdxutil export --view differ"
cmp -s "$work/demo/customers.csv" "$work/expected.csv" && fail "the export of the sorted view is in key order"

# Leave the grid: the last view file; open Customers again and press Shift-F3.
tmx send-keys -t qdx Escape
wait_for '║Customers' || fail "Esc did not go back to the table list"
cmp "$work/tmp/customers.qdx" "$work/expected.qdx" || fail "the last view file is not the view left"
tmx send-keys -t qdx Home Enter
wait_for 'CustomerId' || fail "Customers did not open again"
sleep 0.3
[ "$(grid)" = "$default_grid" ] || fail "a fresh grid is not in key order"
tmx send-keys -t qdx S-F3
sleep 0.7
[ "$(grid)" = "$by_name" ] || fail "Shift-F3 did not bring back the last view"
tmx send-keys -t qdx M-x
wait_for 'EXIT=0' || fail "Alt-X did not end with 0"
echo "PASS"
exit 0
