#!/usr/bin/env bash
# The terminal comes back whole however the program ends: after SIGTERM,
# SIGINT, SIGHUP and a crash signal the alternate screen is left, mouse
# reporting is off, the cursor shows again and the terminal modes are those
# from before. QDX_MOUSE=0 never turns the mouse on.
set -u
source "$(dirname "$0")/tmux_support.bash"

session=none
# Alternate screen, any mouse reporting, cursor visible.
flags() { tmx display-message -p -t "$session" '#{alternate_on} #{||:#{mouse_any_flag},#{mouse_sgr_flag}} #{cursor_flag}'; }

# run_case NAME SIGNAL EXPECTED_EXIT [ENV...]
# The program runs in a database directory, waiting in its table list.
# tmux_support has written the demo database to $demo.

run_case() {
  local name=$1 signal=$2 expected=$3
  shift 3
  rm -f "$work/pid" "$work/modes-"*
  cat >"$work/run.sh" <<SCRIPT
ulimit -c 0
cd "$work/demo"
stty -g >"$work/modes-before"
( echo \$BASHPID >"$work/pid"; exec env $* "$program" )
echo "EXIT=\$?"
stty -g >"$work/modes-after"
sleep 60
SCRIPT
  # One session per case in the same private server.
  session=$name
  tmx new-session -d -s "$session" -x 80 -y 25 "bash $work/run.sh" || fail "$name: tmux did not start"
  wait_for 'Quarrydex v1\.00\.152' || fail "$name: title never appeared"
  sleep 0.2
  local running
  running=$(flags)
  case "$name" in
    *no-mouse*) [ "$running" = "1 0 0" ] || fail "$name: alternate screen / mouse / cursor while running: $running" ;;
    *) [ "$running" = "1 1 0" ] || fail "$name: alternate screen / mouse / cursor while running: $running" ;;
  esac
  kill "-$signal" "$(cat "$work/pid")"
  wait_for 'EXIT=' || fail "$name: the program did not end"
  grep -q "EXIT=$expected" "$work/pane" || fail "$name: exit status was not $expected"
  [ "$(flags)" = "0 0 1" ] || fail "$name: terminal not restored: $(flags)"
  for _ in $(seq 1 50); do [ -s "$work/modes-after" ] && break; sleep 0.1; done
  cmp -s "$work/modes-before" "$work/modes-after" || fail "$name: terminal modes changed"
  echo "ok: $name"
}

run_case sigterm TERM 143
run_case sigint INT 130
run_case crash SEGV 139
run_case sighup-no-mouse HUP 129 QDX_MOUSE=0
echo "PASS"
exit 0
