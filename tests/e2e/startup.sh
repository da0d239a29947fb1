#!/usr/bin/env bash
# The program in a real terminal: tmux with a private server and a fixed
# 80x25 pane. The start-up screen shows the title on the first row and the
# light-shade pattern below; Esc ends the program with exit code 0 and the
# shell's screen comes back.
set -u
source "$(dirname "$0")/tmux_support.bash"

# The program starts in a database directory: the table list is shown over
# the start-up screen.
# tmux_support has written the demo database to $demo.
cat >"$work/run.sh" <<SCRIPT
cd "$work/demo"
printf 'SHELL-SCREEN-MARK\n'
"$program"
echo "EXIT=\$?"
sleep 60
SCRIPT

tmx new-session -d -s qdx -x 80 -y 25 "bash $work/run.sh" || fail "tmux did not start"

wait_for 'Quarrydex v1\.00\.152' || fail "title never appeared"
sleep 0.3
tmx capture-pane -p -t qdx >"$work/pane"
first=$(sed -n 1p "$work/pane")
case "$first" in
  *"Quarrydex v1.00.152"*) ;;
  *) fail "title is not on the first row" ;;
esac
# Centred: 30 blanks before the 19-character title on an 80-column row.
[ "${first%%Q*}" = "                              " ] || fail "title is not centred"
shade=$(printf '\xe2\x96\x91')
row3=$(sed -n 3p "$work/pane")
[ "$row3" = "$(printf "$shade%.0s" $(seq 1 80))" ] || fail "row 3 is not 80 light shades"
last=$(sed -n 25p "$work/pane")
case "$last" in
  "$shade$shade$shade"*) ;;
  *) fail "the last row does not start with the pattern" ;;
esac
grep -q 'SHELL-SCREEN-MARK' "$work/pane" && fail "the shell's screen is still visible"
# Colours: the title row in bright white on cyan.
if [ "$term" != screen ]; then
  tmx capture-pane -p -e -t qdx | head -1 | grep -q $'\e\\[97m\e\\[46m' || fail "title colours"
fi

tmx send-keys -t qdx Escape
wait_for 'EXIT=' || fail "Esc did not end the program"
grep -q 'EXIT=0' "$work/pane" || fail "exit code was not 0"
grep -q 'SHELL-SCREEN-MARK' "$work/pane" || fail "the shell's screen did not come back"
grep -q "$shade" "$work/pane" && fail "the pattern stayed on the shell's screen"
# Alternate screen left, mouse reporting off, cursor shown again.
modes=$(tmx display-message -p -t qdx '#{alternate_on} #{||:#{mouse_any_flag},#{mouse_sgr_flag}} #{cursor_flag}')
[ "$modes" = "0 0 1" ] || fail "terminal not restored after Esc: $modes"
echo "PASS"
exit 0
