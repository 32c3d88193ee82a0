#!/usr/bin/env bash
# kvdisconnect.exe under Wine, which cannot stage a network printer connection: it starts, logs to
# the user's own profile, ends with 0 on a machine without connections, refuses wrong command
# lines, and writes and removes its registration for users' logons in the 64-bit registry view.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly KEY='HKLM\SOFTWARE\Microsoft\Active Setup\Installed Components\{E7E02551-9C08-40EE-9874-0A6C6DFC78AA}'

# Runs C:\kvtool\kvdisconnect.exe (or the program $PROGRAM names); sets RUN_EXIT, RUN_OUT and
# RUN_ERR.
run_disconnect() {
  RUN_OUT=$(cd "$KV_DIR" && wine "${PROGRAM:-C:\\kvtool\\kvdisconnect.exe}" "$@" \
    2>"$E2E_WORK/stderr" </dev/null)
  RUN_EXIT=$?
  RUN_ERR=$(tr -d '\r' <"$E2E_WORK/stderr")
}

user_log_dir() {
  local local_app_data
  local_app_data=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null </dev/null | tr -d '\r\n')
  echo "$(winepath -u "$local_app_data" 2>/dev/null)/NOVAX/MXQLOG"
}

# The registration's values as `reg query` lists them, blanks between the columns made one.
registration() {
  wine reg query "$KEY" /reg:64 2>/dev/null </dev/null | tr -d '\r' | sed -n 's/^ \+//p' |
    sed 's/ \{2,\}/|/g' | LC_ALL=C sort
}

install_disconnect() {
  cp "$KV_BUILD/src/disconnect/kvdisconnect.exe" "$KV_DIR/"
}

test_disconnect_without_connections_logs_in_the_users_profile() {
  install_disconnect
  local logs log mode
  logs=$(user_log_dir)
  for mode in -C -T; do
    rm -rf "$logs"
    run_disconnect "$mode"
    assert_eq 0 "$RUN_EXIT" "exit code of $mode"
    log=$(ls "$logs"/*.KVTOOL_DISCONNECT.log 2>/dev/null)
    assert_match "^$logs/$(computer_name)_[0-9]{8}_[0-9]{6}\.KVTOOL_DISCONNECT\.log\$" "$log" \
      "detail log of $mode"
    assert_match "^Info: KVTool disconnect started: $TIME
Debug: -----Remote queues-----
Debug: vector size after query 0
Info: KVTool disconnect finished: $TIME \(0\)\$" "$(tr -d '\r' <"$log")" "lines of $mode"
  done
  assert_missing "$LOG_DIR" "the all-users log folder"
}

# Wine's winspool.drv has no EnumPerMachineConnectionsW (127): the clean run says so at Debug level
# and goes on; on Windows the spooler lists them.
test_clean_run_reads_per_machine_connections_where_the_spooler_has_them() {
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of kvcleaner -T"
  assert_eq "Debug: This spooler has no per-machine connections.(127)" \
    "$(log_section 'Debug: -----Per-machine connections-----' 'Debug: --- Local Queue')" \
    "per-machine connection lines"
}

test_disconnect_refuses_wrong_command_lines() {
  install_disconnect
  local row args why
  for row in "|Give one of -C, -T, -R or -U" "-Cx|Letters after the switch -C: -Cx" \
    "-C -F|-F needs a value" "-C -T|Give only one of -C, -T, -R or -U" "-C -Z|Unknown option: -Z" \
    "-R -Ldebug|-L goes only with -C or -T" \
    "-R -MA\\|A value with a quote, or ending in a backslash, cannot be passed on: A\\"; do
    IFS='|' read -r args why <<<"$row"
    # shellcheck disable=SC2086
    run_disconnect $args
    assert_eq 1 "$RUN_EXIT" "exit code of [$args]"
    assert_eq "$why" "$(head -1 <<<"$RUN_ERR")" "refusal of [$args]"
    assert_contains "Usage: kvdisconnect -C | -T [-V] [-F file] [-M models] [-L level]" "$RUN_ERR" \
      "usage after [$args]"
  done
  assert_missing "$(user_log_dir)" "a log folder"
}

test_register_writes_the_registration_and_unregister_removes_it() {
  install_disconnect
  run_disconnect -R
  assert_eq 1 "$RUN_EXIT" "exit code of -R from C:\\kvtool"
  assert_contains 'Refused to register C:\kvtool\kvdisconnect.exe: it lies where a standard user may write.' \
    "$RUN_ERR" "refusal of C:\\kvtool"
  assert_eq "" "$(registration)" "registration after the refusal"

  mkdir -p "$DRIVE_C/Program Files/KVTool"
  cp "$KV_DIR/kvdisconnect.exe" "$DRIVE_C/Program Files/KVTool/"
  PROGRAM='C:\Program Files\KVTool\kvdisconnect.exe'
  run_disconnect -R -M 'NOVAX 1|NOVAX 2'
  assert_eq 0 "$RUN_EXIT" "exit code of -R"
  local first
  first=$(registration)
  assert_match '^\(Default\)\|REG_SZ\|KVTool: removing the maker.s printer connections
IsInstalled\|REG_DWORD\|0x1
StubPath\|REG_SZ\|"C:\\Program Files\\KVTool\\kvdisconnect.exe" -C -M "NOVAX 1\|NOVAX 2"
Version\|REG_SZ\|[0-9]{4},[0-9]{3,4},[0-9]{1,4},[0-9]{1,2}$' "$first" "values written by -R"
  run_disconnect -R
  assert_eq 0 "$RUN_EXIT" "exit code of the second -R"
  assert_contains 'StubPath|REG_SZ|"C:\Program Files\KVTool\kvdisconnect.exe" -C' "$(registration)" \
    "command of the second -R"
  [[ "$(grep ^Version <<<"$first")" != "$(registration | grep ^Version)" ]] ||
    e2e_fail "the second -R did not raise the Version"
  run_disconnect -U
  assert_eq 0 "$RUN_EXIT" "exit code of -U"
  assert_eq "" "$(registration)" "registration after -U"
  run_disconnect -U
  assert_eq "Not registered for users' logons: nothing to remove." "$(tr -d '\r' <<<"$RUN_OUT")" \
    "second -U"
}

e2e_main "$@"
