#!/usr/bin/env bash
# The configuration file (-F), the message text file beside the program, message boxes (-P) and
# the fatal end, on the real program under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly CR=$'\r'

# Writes a file in C:\kvtool with CRLF line ends: write_kv_file name line...
write_kv_file() {
  local name=$1
  shift
  printf '%s\r\n' "$@" >"$KV_DIR/$name"
}

# The detail log as written, carriage returns and all.
detail_bytes() {
  local detail
  detail=$(detail_log_in "$LOG_DIR")
  [[ -n "$detail" ]] && cat "$detail"
}

test_missing_config_file_ends_with_code_4() {
  run_cleaner -T -F 'C:\kvtool\none.ini'
  assert_eq 4 "$RUN_EXIT" "exit code"
  local name
  name=$(computer_name)
  assert_match "^Cleaner: $name, Start:$TIME, End:$TIME, 4, NG$CR\$" \
    "$(cat "$LOG_DIR/Operation.log")" "operation record"
  local detail
  detail=$(detail_bytes)
  assert_match "^Info: KVTool cleaner started: $TIME$CR"$'\n'"Error: Error constant = 4$CR\$" \
    "$detail" "detail log ends after the error line"

  # A directory cannot be loaded either.
  run_cleaner -T -F 'C:\kvtool'
  assert_eq 4 "$RUN_EXIT" "exit code for a directory"
}

# Only a regular file is a configuration file. Read as one, NUL gave an empty file (so every
# printer of the maker was cleaned) and COM1 or "aux.ini" (a device in any folder) never
# returned; the time limit keeps a hang from stalling the suite.
test_device_as_config_file_ends_with_code_4() {
  local device
  for device in NUL COM1 'C:\kvtool\aux.ini'; do
    RUN_OUT=$(cd "$KV_DIR" && timeout 60 wine 'C:\kvtool\kvcleaner.exe' -T -F "$device" \
      2>"$E2E_WORK/stderr" </dev/null)
    RUN_EXIT=$?
    assert_eq 4 "$RUN_EXIT" "exit code of -F $device"
    assert_match ", 4, NG$CR\$" "$(cat "$LOG_DIR/Operation.log")" "operation record of -F $device"
  done
}

test_config_file_with_models_is_loaded() {
  write_kv_file cfg.ini '; models to clean' '[clean]' 'MODELS = "Acme 1,2|Acme 3"'
  run_cleaner -T -F 'C:\kvtool\cfg.ini'
  assert_eq 0 "$RUN_EXIT" "exit code"
  assert_match ", 0, OK$CR\$" "$(cat "$LOG_DIR/Operation.log")" "operation record"
  local detail
  detail=$(detail_bytes)
  assert_match "^Info: KVTool cleaner started: $TIME$CR"$'\n'"Debug: " "$detail" \
    "no warning or error after the start line"
  assert_match "Info: KVTool cleaner finished: $TIME$CR\$" "$detail" "run went to its end"

  # The value form -Fpath, and -M after it.
  run_cleaner -T -Fcfg.ini -M 'X|Y'
  assert_eq 0 "$RUN_EXIT" "exit code of -Fcfg.ini relative to the current directory"
}

test_missing_message_file_warns_and_goes_on() {
  rm -f "$KV_DIR/KV_TOOLS_LNG.IRC"
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code"
  local expected
  expected="Warn: There is not a message text.$CR"$'\n'"IRC File=C:\\kvtool\\KV_TOOLS_LNG.IRC,$CR"
  expected+=$'\n'"Section name=English$CR"
  assert_eq "$expected" "$(detail_bytes | sed -n 2,4p)" "warning after the start line"
  assert_match ", 0, OK$CR\$" "$(cat "$LOG_DIR/Operation.log")" "operation record"
}

test_message_file_section_follows_the_system_language() {
  rm -f "$KV_DIR/KV_TOOLS_LNG.IRC"
  LC_ALL=ja_JP.UTF-8 run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code"
  assert_eq "Section name=Japanese$CR" "$(detail_bytes | sed -n 4p)" "section of a Japanese system"
}

test_shipped_message_file_is_found_beside_the_program() {
  assert_eq "" "$(cmp "$KV_BUILD/src/cleaner/KV_TOOLS_LNG.IRC" "$KV_DIR/KV_TOOLS_LNG.IRC" 2>&1)" \
    "message text file installed beside the program"
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code"
  assert_eq "" "$(detail_bytes | grep -a 'Warn:')" "no warning"
}

test_popup_without_display_returns() {
  # Without a display Wine's MessageBoxW fails at once, so every box is passed over.
  unset DISPLAY WAYLAND_DISPLAY
  run_cleaner -P -T -F 'C:\kvtool\none.ini'
  assert_eq 4 "$RUN_EXIT" "exit code of the fatal end with -P"
  assert_match ", 4, NG$CR\$" "$(cat "$LOG_DIR/Operation.log")" "operation record"

  # The second run may start in another second and write a second detail log.
  rm -f "$KV_DIR/KV_TOOLS_LNG.IRC" "$LOG_DIR"/*.KVTOOL_CLEANER.log
  run_cleaner -P -T
  assert_eq 0 "$RUN_EXIT" "exit code with -P and no message text file"
  assert_match "^Warn: There is not a message text\.$CR\$" "$(detail_bytes | sed -n 2p)" \
    "warning with -P"
}

# Starts a virtual display of our own for this test and stops it when the test ends.
XVFB_PID=""
start_xvfb() {
  local ready=$E2E_WORK/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  XVFB_PID=$!
  trap 'kill "$XVFB_PID" 2>/dev/null; e2e_teardown' EXIT
  local tries
  for tries in $(seq 100); do
    [[ -s "$ready" ]] && break
    sleep 0.1
  done
  [[ -s "$ready" ]] || return 1
  export DISPLAY=":$(head -n 1 "$ready")"
  # Wine's services were started without a display; start them again on this one.
  wineserver -k >/dev/null 2>&1
  (wineserver -p >/dev/null 2>&1 </dev/null &)
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

test_error_box_is_shown_on_a_display() {
  if ! start_xvfb; then
    e2e_fail "Xvfb did not start"
    return
  fi
  (cd "$KV_DIR" && wine 'C:\kvtool\kvcleaner.exe' -P -T -F 'C:\kvtool\none.ini' \
    </dev/null >/dev/null 2>&1) &
  local cleaner=$!
  local window
  window=$(timeout 60 xdotool search --sync --name '^KVTool Cleaner$' | head -n 1)
  if [[ -z "$window" ]]; then
    e2e_fail "no message box appeared"
    kill "$cleaner"
    return
  fi
  assert_eq "KVTool Cleaner" "$(xdotool getwindowname "$window")" "caption of the box's window"
  local box
  box=$(wine "$KV_BUILD/tests/e2e/message_box_reader.exe" 'KVTool Cleaner' </dev/null)
  assert_eq $'KVTool Cleaner\nThe configuration file could not be read.\nCheck the file named with the -F option and run the cleaner again.' \
    "$(tr -d '\r' <<<"$box")" "caption and text of the box"
  assert_eq "" "$(cat "$LOG_DIR/Operation.log")" "no record while the box is open"

  local artifacts=$KV_BUILD/tests/e2e/artifacts
  mkdir -p "$artifacts"
  import -window root "$artifacts/error_box.png"

  # Focus the box with a click on it, then press its default button.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click 1 key Return
  wait "$cleaner"
  assert_eq 4 "$?" "exit code after the box is closed"
  assert_match ", 4, NG$CR\$" "$(cat "$LOG_DIR/Operation.log")" "record after the box is closed"
}

e2e_main "$@"
