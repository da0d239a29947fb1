#!/usr/bin/env bash
# Starting where the program cannot work says why, in the terminal, and ends
# with status 1: a terminal type that cannot place the cursor (dumb), an
# unknown terminal type, and (for qdxutil) an engine library that does not load.
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
echo "PASS"
exit 0
