#!/usr/bin/env bash
# The program in a real terminal: tmux with a private server and a fixed
# 80x25 pane. The start-up screen shows the title on the first row and the
# light-shade pattern below; Esc ends the program with exit code 0 and the
# shell's screen comes back.
set -u
bin=${1:?usage: startup.sh BIN_DIR}
program="$bin/quarrydex"
[ -x "$program" ] || { echo "no program at $program"; exit 1; }
command -v tmux >/dev/null || { echo "tmux is missing"; exit 1; }

export LC_ALL=C.UTF-8 LANG=C.UTF-8
socket="qdx-$$"
work=$(mktemp -d)
tmx() { tmux -u -L "$socket" -f /dev/null "$@"; }
cleanup() { tmx kill-server 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

fail() {
  echo "FAIL: $1"
  echo "--- pane ---"
  tmx capture-pane -p -t qdx 2>/dev/null
  exit 1
}

# Waits until the pane matches the extended regular expression $1 (up to 10 s).
wait_for() {
  for _ in $(seq 1 100); do
    tmx capture-pane -p -t qdx >"$work/pane" 2>/dev/null
    grep -Eq "$1" "$work/pane" && return 0
    sleep 0.1
  done
  return 1
}

cat >"$work/run.sh" <<SCRIPT
printf 'SHELL-SCREEN-MARK\n'
"$program"
echo "EXIT=\$?"
sleep 60
SCRIPT

# A terminal type with 16 colours when the machine knows one.
term=screen
for candidate in tmux-256color screen-256color xterm-256color; do
  if infocmp "$candidate" >/dev/null 2>&1; then term=$candidate; break; fi
done
tmx start-server \; set-option -g default-terminal "$term" \; \
  new-session -d -s qdx -x 80 -y 25 "bash $work/run.sh" || fail "tmux did not start"

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
echo "PASS"
exit 0
