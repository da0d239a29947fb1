#!/usr/bin/env bash
# Starting where the program cannot work says why, in the terminal, and ends
# with status 1: a terminal type that cannot place the cursor (dumb), an
# unknown terminal type, and an engine library that does not load (qdxutil
# on its error line, the program in its dictionary prompt).
set -u
source "$(dirname "$0")/tmux_support.bash"

# run_case NAME EXPECTED_REGEX COMMAND...: the command's output and exit status in a pane.
run_case() {
  local name=$1 expected=$2
  shift 2
  session=$name
  printf '%s\n' "$* 2>&1; echo EXIT=\$?; sleep 60" >"$work/$name.sh"
  tmx new-session -d -s "$session" -x 300 -y 25 "bash $work/$name.sh" || fail "$name: tmux did not start"
  wait_for 'EXIT=' || fail "$name: the command did not end"
  grep -q 'EXIT=1' "$work/pane" || fail "$name: exit status was not 1"
  grep -Eq "$expected" "$work/pane" || fail "$name: message not shown"
  echo "ok: $name"
}

run_case dumb 'quarrydex: the terminal type "dumb" \(TERM\) cannot place the cursor' \
  "TERM=dumb '$program'"
run_case unknown 'quarrydex: the terminal type "nosuchterm" \(TERM\) is unknown' \
  "TERM=nosuchterm '$program'"
grep -q 'TERM set' "$work/pane" && fail "unknown: still asks whether TERM is set"

mkdir -p "$work/data"
run_case engine-missing 'qdxutil stat: .*a\.dat: 20: MKDE Inactive' \
  "QDX_ENGINE_LIBRARY='$work/nowhere/libqdxengine.so' '$bin/qdxutil' stat '$work/data/a.dat'"
# After the status: the library tried and the loader's reason.
grep -Eq "20: MKDE Inactive \(engine library not loaded: $work/nowhere/libqdxengine\.so: cannot open shared object file" \
  "$work/pane" || fail "engine-missing: the library and the loader's reason are not shown"

# The program itself: the dictionary prompt keeps the status and adds the
# library tried and the loader's reason below it; Esc ends with 1.
session=prompt
printf '%s\n' "QDX_ENGINE_LIBRARY='$work/nowhere/libqdxengine.so' '$program' -d '$demo'; echo EXIT=\$?; sleep 60" \
  >"$work/prompt.sh"
tmx new-session -d -s prompt -x 80 -y 25 "bash $work/prompt.sh" || fail "prompt: tmux did not start"
wait_for 'Error opening dictionary files' || fail "prompt: the dictionary prompt did not appear"
grep -q '20: MKDE Inactive' "$work/pane" || fail "prompt: the status text is missing"
grep -Eq "engine library not loaded: $work/nowhere/libqdxengine\.so:" "$work/pane" ||
  fail "prompt: the library tried is not shown"
grep -q 'cannot open shared object file' "$work/pane" ||
  fail "prompt: the loader's reason is not shown"
grep -q 'Enter Path:' "$work/pane" || fail "prompt: the path field is missing"
tmx send-keys -t prompt Escape
wait_for 'EXIT=1' || fail "prompt: Esc did not end with 1"
echo "ok: engine-missing prompt"
echo "PASS"
exit 0
