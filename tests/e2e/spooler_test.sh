#!/usr/bin/env bash
# The machine set-up helper kvsetup.exe as the demo and the end-to-end tests use it: the real
# program under Wine, with the test port monitor of the build.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Runs kvsetup.exe from the build; sets SETUP_EXIT, SETUP_OUT and SETUP_ERR (bytes as written,
# so a carriage return would show).
run_setup() {
  SETUP_OUT=$(
    wine "$KV_BUILD/tools/machine_setup/kvsetup.exe" "$@" 2>"$E2E_WORK/setup.err" </dev/null
    status=$?
    echo x
    exit $status
  )
  SETUP_EXIT=$?
  SETUP_OUT=${SETUP_OUT%x}
  SETUP_ERR=$(cat "$E2E_WORK/setup.err"; echo x)
  SETUP_ERR=${SETUP_ERR%x}
}

run_setup_ok() {
  run_setup "$@"
  assert_eq 0 "$SETUP_EXIT" "exit code of kvsetup $*"
  assert_eq "" "$SETUP_ERR" "error output of kvsetup $*"
}

test_setup_helper_puts_a_maker_queue_on_a_monitor_port() {
  local dll
  dll=$(winepath -w "$KV_BUILD/tools/test_port_monitor/kvtestmon.dll")
  run_setup_ok add-monitor DeviceLinkMonitor --dll "$dll"
  run_setup_ok set-monitor DeviceLinkMonitor --description "Maker port" --port-type 3
  run_setup_ok add-port DLM_001 --monitor DeviceLinkMonitor
  run_setup_ok add-port KV_E2E:
  run_setup_ok add-driver "NOVAX QZ-100"
  run_setup_ok add-driver "Other Laser 5"
  run_setup_ok add-queue "NOVAX QZ-100" --driver "NOVAX QZ-100" --port DLM_001
  run_setup_ok add-queue "Other Laser" --driver "Other Laser 5" --port KV_E2E:

  run_setup_ok list queues
  assert_eq $'NOVAX QZ-100\tNOVAX QZ-100\tDLM_001\nOther Laser\tOther Laser 5\tKV_E2E:\n' \
    "$SETUP_OUT" "queues"
  run_setup_ok list ports
  assert_match $'\nDLM_001\tDeviceLinkMonitor\tMaker port\t3\n' "$SETUP_OUT" "monitor port"
  assert_match $'\nKV_E2E:\tLocal Monitor\tLocal Port\t1\n' "$SETUP_OUT" "local port"
  run_setup_ok list monitors
  assert_match $'(^|\n)DeviceLinkMonitor\tkvtestmon.dll\n' "$SETUP_OUT" "monitor"

  run_setup_ok delete-queue "NOVAX QZ-100"
  run_setup_ok delete-port DLM_001
  run_setup_ok list queues
  assert_eq $'Other Laser\tOther Laser 5\tKV_E2E:\n' "$SETUP_OUT" "queues after removal"
}

test_setup_helper_exit_codes_and_messages() {
  run_setup delete-queue "No Such Queue"
  assert_eq 1 "$SETUP_EXIT" "exit code of a failed call"
  assert_eq $'kvsetup: OpenPrinterW failed with error 1801\n' "$SETUP_ERR" "failed call"
  assert_eq "" "$SETUP_OUT" "output of a failed call"

  run_setup add-queue Q --port P
  assert_eq 2 "$SETUP_EXIT" "exit code of a bad command line"
  assert_eq $'kvsetup: add-queue needs --driver' "$(head -n 1 <<<"$SETUP_ERR")" "bad command line"
  assert_match $'\nusage: kvsetup <command> \\[arguments\\]\n' "$SETUP_ERR" "usage after the error"

  run_setup help
  assert_eq 0 "$SETUP_EXIT" "exit code of help"
  assert_eq 'usage: kvsetup <command> [arguments]' "$(head -n 1 <<<"$SETUP_OUT")" "help"
}

e2e_main "$@"
