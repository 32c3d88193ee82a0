#!/usr/bin/env bash
# Runs that overlap or are cut short, on the demo machine (demo_machine.sh): twenty runs at once
# keep every log line whole and leave one whole operation record; a run stopped part-way is
# finished by the next one.
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

# A run that stops for good once its queues are gone (the monitor ends it at the first
# "DeletePort", as a kill would) leaves their ports and drivers behind; the next run finds no
# queue of the maker and finishes them from the note the first one kept.
test_a_run_stopped_after_its_queues_is_finished_by_the_next() {
  local note="$DRIVE_C/ProgramData/NOVAX/KVXPENDING.txt" ports_before
  ports_before=$(listed ports)
  kvsetup set-monitor DeviceLinkMonitor --stop-process-at 137 >/dev/null
  run_cleaner -C
  assert_eq 137 "$RUN_EXIT" "exit code of the stopped run"
  assert_eq "$QUEUES_LEFT" "$(listed queues)" "queues after the stopped run"
  assert_eq "$ports_before" "$(listed ports)" "ports after the stopped run"
  assert_eq "" "$(cat "$LOG_DIR/Operation.log")" "operation log of the stopped run"
  assert_eq 14 "$(grep -c '' "$note")" "lines of the note: a header and one per maker queue"

  run_cleaner -C
  local lines
  lines=$(cat "$LOG_DIR"/*.KVTOOL_CLEANER.log | tr -d '\r')
  assert_eq 1 "$RUN_EXIT" "exit code of the next run: Wine refuses every driver deletion"
  assert_contains $'\nInfo: Ports and drivers left by an unfinished run: 13\n' "$lines" \
    "the note taken over"
  assert_eq "$QUEUES_LEFT" "$(listed queues)" "queues after the next run"
  assert_eq "$PORTS_LEFT" "$(listed ports)" "ports after the next run"
  assert_missing "$note" "the note after the next run"
  assert_operation_record 13 NG
}

e2e_main "$@"
