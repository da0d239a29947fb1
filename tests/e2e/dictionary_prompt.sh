#!/usr/bin/env bash
# Start-up without a dictionary: "quarrydex -d /nonexistent" shows the path
# prompt with the directory tried; typing the demo directory opens it and
# the program goes on to its table list (Esc there ends with 0); Esc at
# the prompt ends the program with exit code 1 and the shell's screen comes back.
# A path pasted by the terminal (bracketed paste) works as typing does.
set -u
source "$(dirname "$0")/tmux_support.bash"

# start NAME: the program with -d /nonexistent in its own session.
start() {
  session=$1
  cat >"$work/run-$1.sh" <<SCRIPT
printf 'SHELL-SCREEN-MARK\n'
"$program" -d /nonexistent
echo "EXIT=\$?"
sleep 60
SCRIPT
  tmx new-session -d -s "$session" -x 80 -y 25 "bash $work/run-$1.sh" || fail "tmux did not start"
  wait_for 'Error opening dictionary files' || fail "$1: the prompt never appeared"
  sleep 0.2
  tmx capture-pane -p -t "$session" >"$work/pane"
  grep -q 'Enter Path: */nonexistent' "$work/pane" || fail "$1: the path tried is not offered for editing"
  grep -Eq '12: ' "$work/pane" || fail "$1: the status text is missing"
  grep -q 'Quarrydex v1\.00\.152' "$work/pane" || fail "$1: the title band is not behind the prompt"
}


start retry
# The first key replaces the offered path.
tmx send-keys -t retry -l "$demo"
tmx send-keys -t retry Enter
wait_for 'Customers' || fail "typing the demo directory did not open the dictionary"
grep -q 'Error opening dictionary files' "$work/pane" && fail "the prompt stayed on the screen"
tmx send-keys -t retry Escape
wait_for 'EXIT=' || fail "Esc did not end the program"
grep -q 'EXIT=0' "$work/pane" || fail "exit code after opening was not 0"

# The terminal's bracketed paste reaches the field as one paste and replaces
# the path; its line break becomes a blank instead of pressing Enter.
start paste
tmx set-buffer -b qdxpath -- "$demo
x"
tmx paste-buffer -p -b qdxpath -t paste
sleep 0.5
tmx capture-pane -p -t paste >"$work/pane"
grep -q 'Error opening dictionary files' "$work/pane" || fail "the pasted line break acted as Enter"
grep -q 'Customers' "$work/pane" && fail "the pasted line break acted as Enter"
grep -q 'Enter Path: .* x' "$work/pane" || fail "the pasted text is not in the field"
tmx send-keys -t paste BSpace BSpace Enter
wait_for 'Customers' || fail "the pasted demo directory did not open the dictionary"
tmx send-keys -t paste Escape
wait_for 'EXIT=' || fail "Esc did not end the pasted run"
grep -q 'EXIT=0' "$work/pane" || fail "exit code after the pasted path was not 0"

start cancel
tmx send-keys -t cancel Escape
wait_for 'EXIT=' || fail "Esc at the prompt did not end the program"
grep -q 'EXIT=1' "$work/pane" || fail "exit code after Esc at the prompt was not 1"
grep -q 'SHELL-SCREEN-MARK' "$work/pane" || fail "the shell's screen did not come back"
grep -q 'Error opening dictionary files' "$work/pane" && fail "the prompt stayed on the shell's screen"
modes=$(tmx display-message -p -t cancel '#{alternate_on} #{||:#{mouse_any_flag},#{mouse_sgr_flag}} #{cursor_flag}')
[ "$modes" = "0 0 1" ] || fail "terminal not restored after Esc: $modes"
echo "PASS"
exit 0
