#!/usr/bin/env bash
# Runs that are cut short or overlap, on the demo machine (demo_machine.sh): a run killed
# part-way is finished by the next one, and twenty runs at once keep every log line whole and
# leave one whole operation record.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}

# The machine after one uninterrupted -C on another copy of the same demo machine.
machine_after_one_clean() {
  local test_prefix=$WINEPREFIX
  export WINEPREFIX=$E2E_WORK/reference
  cp -a "$KV_WINE_TEMPLATE" "$WINEPREFIX"
  mkdir -p "$WINEPREFIX/drive_c/kvtool"
  cp "$KV_DIR/kvcleaner.exe" "$WINEPREFIX/drive_c/kvtool/"
  wine 'C:\kvtool\kvcleaner.exe' -C >/dev/null 2>&1 </dev/null
  demo_machine_listing
  wineserver -k >/dev/null 2>&1
  export WINEPREFIX=$test_prefix
}

test_killed_run_is_finished_by_the_next() {
  local expected
  expected=$(machine_after_one_clean)
  (cd "$KV_DIR" && wine 'C:\kvtool\kvcleaner.exe' -C >/dev/null 2>&1 </dev/null) &
  local run=$! waited=0
  # Killed as soon as it has deleted its first queue, as a power cut or a killed script would.
  until grep -aqs 'Successfully deleted local queue' "$LOG_DIR"/*.KVTOOL_CLEANER.log; do
    sleep 0.05
    waited=$((waited + 1))
    [[ $waited -lt 1200 ]] || break
  done
  wine taskkill /F /IM kvcleaner.exe >/dev/null 2>&1 </dev/null
  wait $run
  # The record is written when a run ends: the killed run emptied the log and wrote nothing.
  assert_eq 0 "$(stat -c %s "$LOG_DIR/Operation.log")" "operation log of the killed run"

  sleep 1  # the next run's detail log gets a name of its own
  run_cleaner -C
  # Under Wine every driver deletion fails (87), so the finishing run ends with NG and exit 1.
  assert_eq 1 "$RUN_EXIT" "exit code of the finishing run"
  assert_eq "$expected" "$(demo_machine_listing)" "machine after the killed and the finishing run"
  assert_match $'^Cleaner: [^,]*, Start:[^,]*, End:[^,]*, [0-9]+, NG\r$' \
    "$(cat "$LOG_DIR/Operation.log")" "the operation log holds only the finishing run's record"
}

test_twenty_runs_at_once_keep_lines_and_record_whole() {
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of one run"
  local one_run
  one_run=$(cat "$LOG_DIR"/*.KVTOOL_CLEANER.log | grep -c '')
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
  assert_eq $((20 * one_run)) "$(grep -c '' <<<"$lines")" "lines of the twenty runs"
  assert_eq "" "$(grep -avE '^(Debug|Info|Warn|Error): ' <<<"$lines")" "lines without a level"
  assert_eq "" "$(grep -aE '.(Debug|Info|Warn|Error): ' <<<"$lines")" "lines broken by another run"
  assert_eq 20 "$(grep -c '^Info: KVTool cleaner finished: ' <<<"$lines")" "runs that finished"
  assert_match $'^Cleaner: [^,]*, Start:[^,]*, End:[^,]*, 0, OK\r$' \
    "$(cat "$LOG_DIR/Operation.log")" "one whole operation record"
}

e2e_main "$@"
