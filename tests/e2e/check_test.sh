#!/usr/bin/env bash
# kvcheck.exe on the demo machine (demo_machine.sh): what it says before and after a clean run.
# Each test starts from a copy of the machine that the fixture prepared in KV_DEMO_MACHINE.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}

# Runs kvcheck.exe with the given arguments; sets CHECK_EXIT and CHECK_OUT (standard output).
run_check() {
  cp "$KV_BUILD/src/check/kvcheck.exe" "$KV_DIR/"
  CHECK_OUT=$(cd "$KV_DIR" && wine 'C:\kvtool\kvcheck.exe' "$@" 2>"$E2E_WORK/check-stderr" </dev/null)
  CHECK_EXIT=$?
}

# The names of one section of the JSON report, one a line, in the report's order.
names_in() {
  python3 -c 'import json, sys; [print(o["name"]) for o in json.load(sys.stdin)[sys.argv[1]]]' "$1" \
    <<<"$CHECK_OUT"
}

test_check_names_the_makers_queues_then_what_stayed() {
  run_check -J
  assert_eq 114 "$CHECK_EXIT" "exit code of kvcheck -J before cleaning"
  assert_eq "HaldenJet Pro 9
Kestavo K7
Marlowe M2
NFG Archive
Novax KX-100
Novax KX-200 Hub
Omni Front Desk
Omni Studio
Pravik P5 Back
Pravik P5 Front
Pravik P5 Plus
Torin T3
Zul Z1" "$(names_in queues)" "the maker's queues"
  assert_eq "" "$(ls "$LOG_DIR" 2>/dev/null)" "logs written by kvcheck"

  run_cleaner -C
  run_check -J
  assert_eq "" "$(names_in queues)" "queues after -C"
  assert_eq "" "$(names_in ports)" "ports after -C"
  assert_eq "" "$(names_in drivers)" "drivers after -C"
}

e2e_main "$@"
