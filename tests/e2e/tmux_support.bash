# Shared by the end-to-end scripts (sourced, not run): a private tmux server,
# clean-up on exit, and waiting for text in the pane.
#
# Requires: $1 of the sourcing script is the directory of the built program.
# Sets: program, work (a scratch directory), session (the pane to watch; a
# script may change it), term (a terminal type with 16 colours when known),
# demo (a directory with the demo database; DDFPATH names it, so the
# program finds its dictionary at start-up).

bin=${1:?usage: $0 BIN_DIR}
program="$bin/quarrydex"
[ -x "$program" ] || { echo "no program at $program"; exit 1; }
command -v tmux >/dev/null || { echo "tmux is missing"; exit 1; }

export LC_ALL=C.UTF-8 LANG=C.UTF-8
socket="qdx-$$"
session=qdx
work=$(mktemp -d)
# The server reads $work/tmux.conf (written below): the terminal type for the
# panes, and it keeps running with no session, so a script may start it and
# create its panes in separate commands without racing its exit.
tmx() { tmux -u -L "$socket" -f "$work/tmux.conf" "$@"; }
cleanup() { tmx kill-server 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

demo="$work/demo"
"$bin/qdxutil" demo "$demo" >/dev/null 2>&1 || { echo "qdxutil could not write the demo database"; exit 1; }
export DDFPATH="$demo"

fail() {
  echo "FAIL: $1"
  echo "--- pane ---"
  tmx capture-pane -p -t "$session" 2>/dev/null
  exit 1
}

# Starts the program with the arguments $1 (a table, options, or nothing
# for the table list) in the demo directory, in a fresh 80 x 25 pane named
# qdx of the private server; the pane prints the exit status and stays a
# minute after it. $start_env, when set, is a line the pane runs first
# (an export, say).
start_program() {
  tmx kill-session -t qdx 2>/dev/null
  cat >"$work/run.sh" <<SCRIPT
cd "$demo"
${start_env:-}
"$program" $1
echo "EXIT=\$?"
sleep 60
SCRIPT
  tmx new-session -d -s qdx -x 80 -y 25 "bash $work/run.sh" || fail "tmux did not start"
}

# Waits until the pane matches the extended regular expression $1 (up to 10 s).
wait_for() {
  for _ in $(seq 1 100); do
    tmx capture-pane -p -t "$session" >"$work/pane" 2>/dev/null
    grep -Eq "$1" "$work/pane" && return 0
    sleep 0.1
  done
  return 1
}

term=screen
for candidate in tmux-256color screen-256color xterm-256color; do
  if infocmp "$candidate" >/dev/null 2>&1; then term=$candidate; break; fi
done
printf 'set -g default-terminal "%s"\nset -g exit-empty off\n' "$term" >"$work/tmux.conf"
