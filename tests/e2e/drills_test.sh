#!/usr/bin/env bash
# Runs that overlap, on the demo machine (demo_machine.sh): twenty runs at once keep every log
# line whole and leave one whole operation record.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}

# The lines a run writes whatever the others do: the silent-mode settings file is one for all of
# them, so whether a run finds it there to load or to delete depends on the others.
own_lines() {
  grep -avE 'Failed to (load|save) INI file|Delete File : '
}

test_twenty_runs_at_once_keep_lines_and_record_whole() {
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of one run"
  local one_run
  one_run=$(cat "$LOG_DIR"/*.KVTOOL_CLEANER.log | own_lines | grep -c '')
  rm -f "$LOG_DIR"/*

  local runs=() failed=0 run
  for _ in $(seq 20); do
    (cd "$KV_DIR" && wine 'C:\kvtool\kvcleaner.exe' -T >/dev/null 2>&1 </dev/null) &
    runs+=($!)
  done
  for run in "${runs[@]}"; do wait "$run" || failed=$((failed + 1)); done
  assert_eq 0 "$failed" "runs that did not end with exit code 0"

  # Runs started in one second share a detail log; every line stays whole.
  local lines
  lines=$(cat "$LOG_DIR"/*.KVTOOL_CLEANER.log | tr -d '\r')
  assert_eq $((20 * one_run)) "$(own_lines <<<"$lines" | grep -c '')" "lines of the twenty runs"
  assert_eq "" "$(grep -avE '^(Debug|Info|Warn|Error): ' <<<"$lines")" "lines without a level"
  assert_eq "" "$(grep -aE '.(Debug|Info|Warn|Error): ' <<<"$lines")" "lines broken by another run"
  assert_eq 20 "$(grep -c '^Info: KVTool cleaner finished: ' <<<"$lines")" "runs that finished"
  assert_match $'^Cleaner: [^,]*, Start:[^,]*, End:[^,]*, 0, OK\r$' \
    "$(cat "$LOG_DIR/Operation.log")" "one whole operation record"
}

e2e_main "$@"
