#!/usr/bin/env bash
# Runs that overlap or are cut short, on the demo machine (demo_machine.sh): twenty runs at once
# keep every log line whole and leave one whole operation record; a run stopped part-way is
# finished by the next one.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}

# The lines a run writes whatever the others do: the silent-mode settings file is one for all of
# them, so whether a run finds it there to load and give back, or to delete, or leaves it to a run
# that holds its lock, depends on the others.
own_lines() {
  grep -avE 'INI file|writeSilentModeINIFile|SilentMode=|(Create|Delete|Restore) File : |Settings file left to another run'
}

test_twenty_runs_at_once_keep_lines_and_record_whole() {
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of one run"
  local one_run
  one_run=$(cat "$LOG_DIR"/*.KVTOOL_CLEANER.log | own_lines | grep -c '')
  # The runs race to make the maker's folder and its log folder: the losers find them made.
  rm -rf "$DRIVE_C/ProgramData/NOVAX"

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
  assert_eq "" "$(ls "$DRIVE_C" | grep -E 'KVTOOL_CLEANER\.log$|^Operation\.log$')" \
    "logs that fell back to the root of the drive"
}

# The note of pending removals: the bytes of its machine value, read in the 64-bit registry view
# that both programs use ("reg query" prints binary data as one hex string).
note_bytes() {
  local hex
  hex=$(wine reg query 'HKLM\SOFTWARE\NOVAX\kvcleaner' /v PendingRemovals /reg:64 </dev/null \
    2>/dev/null | tr -d '\r' | awk '$1 == "PendingRemovals" { print $3 }')
  printf '%b' "$(sed 's/../\\x&/g' <<<"$hex")"
}

# A run that stops for good once its queues are gone (the monitor ends it at the first
# "DeletePort", as a kill would) leaves their ports and drivers behind; the next run finds no
# queue of the maker and finishes them from the note the first one kept. A note planted in the
# all-users folder, where users may write, is never read.
test_a_run_stopped_after_its_queues_is_finished_by_the_next() {
  local ports_before
  ports_before=$(listed ports)
  mkdir -p "$DRIVE_C/ProgramData/NOVAX"
  printf 'kvcleaner pending removals 1\r\nNovax Ghost\tLPT1:\r\nNovax Ghost\tCOM1:\r\n' \
    >"$DRIVE_C/ProgramData/NOVAX/KVXPENDING.txt"
  kvsetup set-monitor DeviceLinkMonitor --stop-process-at 137 >/dev/null
  run_cleaner -C
  assert_eq 137 "$RUN_EXIT" "exit code of the stopped run"
  assert_eq "$QUEUES_LEFT" "$(listed queues)" "queues after the stopped run"
  assert_eq "$ports_before" "$(listed ports)" "ports after the stopped run"
  assert_eq "" "$(cat "$LOG_DIR/Operation.log")" "operation log of the stopped run"
  assert_eq 14 "$(note_bytes | grep -c '')" "lines of the note: a header and one per maker queue"

  run_cleaner -C
  local lines
  lines=$(cat "$LOG_DIR"/*.KVTOOL_CLEANER.log | tr -d '\r')
  assert_eq 1 "$RUN_EXIT" "exit code of the next run: Wine refuses every driver deletion"
  # Two of the 13 queues share a driver and a port: the same entry is taken once.
  assert_contains $'\nInfo: Ports and drivers left by an earlier run: 12\n' "$lines" \
    "the note taken over"
  assert_eq "$QUEUES_LEFT" "$(listed queues)" "queues after the next run"
  assert_eq "$PORTS_LEFT" "$(listed ports)" "ports after the next run"
  assert_eq 13 "$(note_bytes | grep -c '')" \
    "the note after the next run: a header and an entry per driver Wine refused"
  assert_operation_record 12 NG
}

# Log folders that cannot take the logs: each log falls back to the console with its Warn line,
# and the run does its job all the same. Root writes into a read-only folder regardless, so the
# wine server and the runs go without the capability to override file permissions; Wine's server
# is the process that opens files.
test_log_folders_that_cannot_take_the_logs() {
  RUN_THROUGH=(setpriv --bounding-set -dac_override,-dac_read_search)
  wineserver -k
  ("${RUN_THROUGH[@]}" wineserver -p >/dev/null 2>&1 </dev/null &)
  "${RUN_THROUGH[@]}" wine cmd /c exit >/dev/null 2>&1 </dev/null
  mkdir -p "$DRIVE_C/ProgramData/NOVAX"

  local stamp="$(computer_name)_<stamp>.KVTOOL_CLEANER.log" before
  # name|mode|-D folder (empty: the default one)|what to make there|exit code|record ending. Every
  # run also has the Error line of the settings file (a new one is not there to load) and the
  # Warn line of the port that another maker's queue uses.
  local rows=(
    "missing|-T|C:\\kvlogs\\missing||0|, 0, OK"
    "a file|-T|C:\\kvlogs\\file|file|0|, 0, OK"
    "read-only default|-T||read-only|0|, 0, OK"
    "read-only|-C|C:\\kvlogs\\ro|read-only|1|, 13, NG"
  )
  local row name mode folder make code record where unix
  for row in "${rows[@]}"; do
    IFS='|' read -r name mode folder make code record <<<"$row"
    where=${folder:-'C:\ProgramData\NOVAX\MXQLOG'}
    unix=$DRIVE_C/$(sed 's/^C:\\//; s/\\/\//g' <<<"$where")
    mkdir -p "$(dirname "$unix")"
    case $make in
      file) echo planted >"$unix" ;;
      read-only) mkdir -p "$unix" && chmod 555 "$unix" ;;
    esac
    before=$(demo_machine_listing)
    if [[ -n "$folder" ]]; then run_cleaner "$mode" -D "$folder"; else run_cleaner "$mode"; fi
    assert_eq "$code" "$RUN_EXIT" "$name: exit code"
    assert_eq "Warn: Failed to open operation log file $where\\Operation.log
Warn: Failed to open log file $where\\$stamp
Error: Failed to load INI file C:\\ProgramData\\NOVAX\\KVXCLEAN.ini (File error)
Warn: Port still used by a queue that is not cleaned: DLM_HUB" "$(tr -d '\r' <<<"$RUN_OUT" | grep -E '^(Warn|Error): ' |
      sed -E 's/_[0-9]{8}_[0-9]{6}\.KVTOOL/_<stamp>.KVTOOL/' | grep -v 'Failed to delete driver')" \
      "$name: console"
    assert_match "^Cleaner: .*$record\$" "$(tr -d '\r' <<<"$RUN_OUT" | tail -n 1)" \
      "$name: operation record on the console"
    if [[ $mode == -T ]]; then
      assert_eq "$before" "$(demo_machine_listing)" "$name: machine after -T"
    else
      assert_eq "$QUEUES_LEFT" "$(listed queues)" "$name: queues after -C"
      assert_eq "$PORTS_LEFT" "$(listed ports)" "$name: ports after -C"
    fi
    if [[ $make == file ]]; then
      assert_eq planted "$(cat "$unix")" "$name: the file in the folder's place"
    else
      assert_eq "" "$(ls -A "$unix" 2>/dev/null)" "$name: what the folder holds"
    fi
  done
}

e2e_main "$@"
