#!/usr/bin/env bash
# The program's start, logs, operation record and exit codes.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

test_simulation_run_writes_both_logs() {
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  local name
  name=$(computer_name)
  local record
  record=$(cat "$LOG_DIR/Operation.log")
  assert_match "^Cleaner: $name, Start:$TIME, End:$TIME, 0, OK"$'\r'"$" "$record" "operation record"
  local detail
  detail=$(detail_log_in "$LOG_DIR")
  assert_match "/${name}_[0-9]{8}_[0-9]{6}\.KVTOOL_CLEANER\.log$" "$detail" "detail log name"
  assert_match "^Info: KVTool cleaner started: $TIME"$'\r'"$" "$(head -n 1 "$detail")" \
    "first detail line"
  assert_match "^Info: KVTool cleaner finished: $TIME"$'\r'"$" "$(tail -n 1 "$detail")" \
    "last detail line"
  # Which build ran, how and as whom: only after the settings file's line.
  assert_match '^Debug: kvcleaner [^,]+, command line: .*kvcleaner\.exe -T, account: .+$' \
    "$(tr -d '\r' <"$detail" | grep -A1 '^Debug: Create File : ' | sed -n 2p)" \
    "the line after the settings file's"
  assert_eq "" "$RUN_OUT" "console output without -V"
}

test_verbose_run_echoes_detail_log() {
  run_cleaner -T -V
  assert_eq 0 "$RUN_EXIT" "exit code of -T -V"
  local detail
  detail=$(detail_log_in "$LOG_DIR")
  assert_eq "$(cat "$detail")" "$RUN_OUT" "console echo equals the detail log"
}

test_illegal_option_leaves_no_log() {
  run_cleaner -x
  assert_eq 1 "$RUN_EXIT" "exit code of -x"
  assert_eq "Illegal option (x)" "$(tr -d '\r' <<<"$RUN_OUT")" "parser message"
  assert_missing "$DRIVE_C/ProgramData/NOVAX" "log folder after a rejected command line"
}

test_no_mode_and_no_arguments_exit_1_silently() {
  run_cleaner
  assert_eq 1 "$RUN_EXIT" "exit code without arguments"
  assert_eq "" "$RUN_OUT" "output without arguments"
  run_cleaner -V
  assert_eq 1 "$RUN_EXIT" "exit code of -V alone"
  assert_eq "" "$RUN_OUT" "output of -V alone"
  assert_missing "$DRIVE_C/ProgramData/NOVAX" "log folder"
}

test_log_directory_option_is_used_unchanged() {
  mkdir -p "$DRIVE_C/logs"
  run_cleaner -C -D 'C:\logs' -L warn
  assert_eq 0 "$RUN_EXIT" "exit code of -C -D"
  assert_match ", 0, OK"$'\r'"$" "$(cat "$DRIVE_C/logs/Operation.log")" "record under -D"
  local detail
  detail=$(detail_log_in "$DRIVE_C/logs")
  # With -D the maker's folder is made for the silent-mode settings file alone, which is not
  # there before the run: the only line at WARN and above of a clean run on an empty machine.
  local CR=$'\r' file='C:\ProgramData\NOVAX\KVXCLEAN.ini'
  assert_eq "Error: Failed to load INI file $file (File error)$CR" "$(cat "$detail")" \
    "detail log at WARN in a clean run"
  assert_missing "$DRIVE_C/ProgramData/NOVAX/MXQLOG" "default log folder with -D"
  assert_missing "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini" "the settings file after the run"
}

e2e_main "$@"
