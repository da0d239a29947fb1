#!/usr/bin/env bash
# Stopped with SIGTSTP the program gives the terminal back first (mouse
# reporting off, alternate screen left, cursor shown), so clicks at the shell
# prompt stay clicks; continued with SIGCONT it takes the terminal again and
# repaints its screen.
set -u
source "$(dirname "$0")/tmux_support.bash"

flags() { tmx display-message -p -t "$session" '#{alternate_on} #{||:#{mouse_any_flag},#{mouse_sgr_flag}} #{cursor_flag}'; }

# wait_flags EXPECTED: up to 5 s for the pane's flags.
wait_flags() {
  for _ in $(seq 1 50); do
    [ "$(flags)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# As at a shell prompt: the program is a job of its own; once it stops, the
# shell takes the terminal, and "fg" continues it (SIGCONT) in the foreground.
cat >"$work/run.sh" <<SCRIPT
set -m
( echo \$BASHPID >"$work/pid"; exec env TERM=$term "$program" )
echo "STOPPED"
while [ ! -e "$work/go" ]; do sleep 0.1; done
fg >/dev/null
echo "EXIT=\$?"
sleep 60
SCRIPT
tmx new-session -d -s "$session" -x 80 -y 25 "bash $work/run.sh" || fail "tmux did not start"
wait_for 'Quarrydex v1\.00\.152' || fail "title never appeared"
wait_flags "1 1 0" || fail "not full-screen with the mouse on while running: $(flags)"
pid=$(cat "$work/pid")

kill -TSTP "$pid"
wait_flags "0 0 1" || fail "terminal not given back when stopped: $(flags)"
state=$(ps -o stat= -p "$pid" | tr -d ' ')
case "$state" in T*) ;; *) fail "the program did not stop (state $state)" ;; esac
grep -q 'Quarrydex v1\.00\.152' <(tmx capture-pane -p -t "$session") && fail "the program's screen stayed while stopped"
# Mouse clicks at the prompt now reach the shell as clicks, not as reports.

wait_for STOPPED || fail "the shell did not see the program stop"
touch "$work/go"
wait_flags "1 1 0" || fail "terminal not taken again when continued: $(flags)"
wait_for 'Quarrydex v1\.00\.152' || fail "screen not repainted after continuing"
wait_for 'Customers' || fail "the window was not repainted after continuing"

# Still alive and answering keys: Esc ends it normally.
tmx send-keys -t "$session" Escape
wait_for 'EXIT=0' || fail "the program did not end with Esc after continuing"
wait_flags "0 0 1" || fail "terminal not restored at the end: $(flags)"
echo "PASS"
exit 0
