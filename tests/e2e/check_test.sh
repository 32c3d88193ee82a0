#!/usr/bin/env bash
# kvcheck.exe on a prepared machine (the demo machine, or the one with installer packages): what
# it says a clean run does is what kvcleaner -C then does, and it changes nothing on the way.
# Each test starts from a copy of the machine that the fixture prepared in KV_CHECK_MACHINE.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
KV_WINE_TEMPLATE=${KV_CHECK_MACHINE:?the prepared machine}
readonly UNINSTALL_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'

# Runs kvcheck.exe with the given arguments; sets CHECK_EXIT and CHECK_OUT (standard output).
run_check() {
  cp "$KV_BUILD/src/check/kvcheck.exe" "$KV_DIR/"
  CHECK_OUT=$(cd "$KV_DIR" && wine 'C:\kvtool\kvcheck.exe' "$@" 2>"$E2E_WORK/check-stderr" </dev/null)
  CHECK_EXIT=$?
  show_wine_start_failure "$E2E_WORK/check-stderr"
}

# The report's packages (by code), queues, ports and drivers (those a clean run deletes and those
# it does not reach) whose decision matches the pattern, "kind name" a line, sorted.
reported() {  # decision-pattern
  python3 -c '
import json, re, sys
report = json.load(sys.stdin)
for kind in ("packages", "queues", "ports", "drivers", "unreachedDrivers"):
    for o in report[kind]:
        if re.fullmatch(sys.argv[1], o["decision"]):
            print(kind, o["code"] if kind == "packages" else o["name"])
' "$1" <<<"$CHECK_OUT" | LC_ALL=C sort
}

# The machine's packages (by code), queues and ports as kvsetup lists them, in the same form.
machine_objects() {
  local kind
  kvsetup list products | cut -f1 | sed 's/^/packages /'
  for kind in queues ports; do
    kvsetup list "$kind" | cut -f1 | sed "s/^/$kind /"
  done | LC_ALL=C sort
}

# The drivers the detail log shows the cleaner deleting or failing to delete, "drivers name".
drivers_tried() {
  detail_text | sed -nE -e 's/^Error: Error: Failed to delete driver (.*)\.\([0-9]+\)$/drivers \1/p' \
    -e 's/^Info: Successfully deleted driver (.*)$/drivers \1/p' | LC_ALL=C sort -u
}

# One row of the agreement: kvcheck -J with the options, then kvcleaner -C with them. The
# packages, queues and ports the check said go are those that went, and nothing else did; each
# driver it said goes, the cleaner tried. Afterwards the check lists nothing it did not say
# stays, and those drivers as ones the next run deletes from the note: Wine refuses their deletion
# with 87, and the note keeps them. The machine has no connections: Wine's spooler makes none.
check_agrees_with_clean_run() {  # options...
  local before said_gone said_kept said_unreached
  run_check -J "$@"
  assert_eq 114 "$CHECK_EXIT" "exit code of kvcheck -J $* before cleaning"
  said_gone=$(reported 'uninstall|delete')
  said_unreached=$(reported unreached)
  said_kept=$(reported 'keep' | grep -v '^drivers ')
  before=$(machine_objects)

  run_cleaner -C "$@"
  assert_eq "$(grep -v '^drivers ' <<<"$said_gone")" \
    "$(LC_ALL=C comm -23 <(echo "$before") <(machine_objects))" "what -C $* removed"
  assert_eq "" "$(LC_ALL=C comm -23 <(grep '^drivers ' <<<"$said_gone") <(drivers_tried))" \
    "drivers said deleted that -C $* did not try"

  run_check -J "$@"
  # The drivers stay, and the note names them for the next run: a clean run would still try them.
  assert_eq 114 "$CHECK_EXIT" "exit code of kvcheck -J $* after cleaning (the drivers stay)"
  python3 -c '
import json, sys
report = json.load(sys.stdin)
for field in ("schema", "program", "version", "computer", "time", "account", "windows", "models",
              "exitCode", "found", "restartRequired", "counts", "notes"):
    assert field in report, field
assert report["schema"] == 2 and report["exitCode"] == 114
' <<<"$CHECK_OUT" || e2e_fail "schema 2 fields of kvcheck -J $*"
  assert_eq "" "$(LC_ALL=C comm -13 <(echo "$said_kept") <(reported '.*' | grep -v 'rivers '))" \
    "what kvcheck $* lists after that it did not say stays"
  assert_eq "$(sed -n 's/^drivers //p' <<<"$said_gone")" \
    "$(reported delete | sed -n 's/^drivers //p')" "the drivers the note keeps for the next run"
  # Those of another environment (on the x86 build's machine each driver is in both) stay so.
  assert_eq "$said_unreached" "$(reported unreached)" "the drivers no run reaches after"
}

test_check_names_the_makers_queues_then_what_stayed() {
  run_check -J
  assert_eq "HaldenJet Pro 9
Kestavo K7
Marlowe M2
NFG Archive
Novax QZ-100
Novax QZ-200 Hub
Omni Front Desk
Omni Studio
Pravik P5 Back
Pravik P5 Front
Pravik P5 Plus
Torin T3
Zul Z1" "$(reported '.*' | sed -n 's/^queues //p')" "the maker's queues"
  check_agrees_with_clean_run
}

test_check_refuses_a_loose_command_line() {
  local args
  for args in "-JSON" "-M" "-F" "-M ''" "-J -J"; do
    eval "run_check $args"
    assert_eq 1 "$CHECK_EXIT" "exit code of kvcheck $args"
    assert_eq "" "$CHECK_OUT" "what kvcheck $args wrote on standard output"
  done
  run_check -S
  assert_eq 114 "$CHECK_EXIT" "exit code of kvcheck -S"
  assert_eq 1 "$(wc -l <<<"$CHECK_OUT")" "lines of kvcheck -S"
  [[ ${#CHECK_OUT} -le 2048 && "$CHECK_OUT" == "kvcheck=2 exit=114 "* ]] || e2e_fail "kvcheck -S: $CHECK_OUT"
}

# Also a model whose driver no queue and no note uses: the maker's, but no clean run reaches it.
test_check_agrees_with_a_clean_run_of_one_model() {
  kvsetup add-driver 'Novax QZ-900' >/dev/null
  run_check -J -M 'Novax QZ-900'
  assert_eq "113 unreachedDrivers Novax QZ-900" "$CHECK_EXIT $(reported 'uninstall|delete|unreached')" \
    "kvcheck of a model whose driver nothing uses"
  check_agrees_with_clean_run -M 'Pravik P5'
}

# The report's driver packages, "name decision provider models usedBy lastError" a line (tabs
# between; "-" for no lastError).
packages_reported() {
  python3 -c '
import json, sys
for o in json.load(sys.stdin)["driverPackages"]:
    print(o["name"], o["decision"], o["provider"], o["models"], o["usedBy"], o.get("lastError", "-"),
          sep="\t")
' <<<"$CHECK_OUT"
}

# The maker's package and another maker's (a model with ZUL inside a word), placed in the store
# with the setup library's own copy call, beside a network INF of the maker's provider, and a
# driver of the maker's that no queue uses. kvcheck lists the maker's package by its published
# name, kept until clean.ini asks; with both opt-ins it says package and driver go, and the clean
# run asks to remove exactly those. Wine refuses the driver (87), and its setup library answers
# success but keeps the INF: the run looks again and reports that failure too (183), counted and
# kept in the note, so kvcheck after it still says both go.
test_check_and_clean_run_of_driver_packages() {
  demo_driver_packages_build || e2e_fail "placing the driver packages"
  kvsetup add-driver 'Novax QZ-900' >/dev/null
  run_check -J
  assert_eq 114 "$CHECK_EXIT" "exit code of kvcheck -J"
  assert_eq $'oem41.inf\tkeep\tNOVAX\tNovax QZ-100\t\t-' "$(packages_reported)" \
    "the driver packages without the opt-in"
  printf '[Clean]\r\nDriverPackages=Remove\r\nUnusedDrivers=remove\r\n' >"$KV_DIR/opt-in.ini"
  # The x86 build's machine holds each driver in "Windows NT x86" too, which the driver phase (of
  # the machine's environment) does not reach: there the unused drivers are all 13 x86 ones.
  local run env='Windows x64' failures=15 failed=-
  [[ ${KV_BUILD##*/} == win32 ]] && env='Windows NT x86' failures=27
  for run in before after; do
    run_check -J -F 'C:\kvtool\opt-in.ini'
    assert_eq $'oem41.inf\tdelete\tNOVAX\tNovax QZ-100\t\t'$failed "$(packages_reported)" \
      "the driver packages with DriverPackages=Remove, $run the run"
    assert_eq "unreachedDrivers Novax QZ-900" "$(reported delete | grep 'QZ-900')" \
      "the unused driver, $run the run"
    [[ $run == after ]] && break
    run_cleaner -C -F 'C:\kvtool\opt-in.ini'
    assert_eq "opt-ins: UnusedDrivers=Remove DriverPackages=Remove" \
      "$(detail_text | grep -o 'opt-ins: .*')" "the start line's opt-ins"
    assert_eq "Info: Deleting unused driver Novax QZ-900 ($env)...
Error: Failed to delete unused driver Novax QZ-900 ($env).(87)"'
Info: Deleting driver package oem41.inf (C:\windows\INF\oem41.inf)...
Debug: DeletePrinterDriverPackageW is missing (127): SetupUninstallOEMInfW oem41.inf
Error: Failed to delete driver package oem41.inf (C:\windows\INF\oem41.inf).(183)' \
      "$(detail_text | grep -e 'oem4' -e 'QZ-900')" "what -C tried"
    assert_operation_record $failures NG
    assert_eq $'oem41.inf\tC:\\windows\\INF\\oem41.inf\tpackage\t183' "$(wine reg query \
      'HKLM\SOFTWARE\NOVAX\kvcleaner' /v PendingRemovals /reg:64 </dev/null |
      sed -n 's/.*REG_BINARY *//p' | tr -d '\r' | xxd -r -p | tr -d '\r' | grep oem4 | cut -f1-4)" \
      "the package in the note of pending removals"
    failed=183
  done
  assert_eq "oem41.inf oem42.inf oem43.inf" "$(cd "$DRIVE_C/windows/inf" && echo oem4?.inf)" \
    "the published INFs after the run"
}

# The prefix's files (their sums) and the registry's HKLM and HKCU as "reg export" writes them:
# what a run could change. Left out: Wine's own registry files, which hold time stamps (the
# export stands for them), the display key that Wine's desktop process writes whenever it
# starts without an X server, and a driver's DriverDateData, which Wine's spooler sets to the
# time it loads whenever it adds its own PostScript driver again (a CI run saw it move by 6 s).
prefix_state() {
  local hive
  (cd "$WINEPREFIX" && find . -path ./dosdevices -prune -o -type f ! -name '*.reg' -print0 |
    LC_ALL=C sort -z | xargs -0 sha1sum)
  for hive in HKLM HKCU; do
    wine reg export "$hive" 'C:\kvstate.reg' /y </dev/null >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$DRIVE_C/kvstate.reg" | tr -d '\r' |
      awk '/^\[/ { skip = index($0, "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video") == 1 }
           /^"DriverDateData"=/ { next }
           !skip'
    rm -f "$DRIVE_C/kvstate.reg"
  done
}

# Every package's uninstall command is the probe (uninstall_probe_win.cpp), which leaves its log
# beside itself when it runs. A check with and without JSON and models: files and registry as
# they were, no log, and the probe never ran.
test_check_changes_nothing() {
  local code name publisher command64 command32
  cp "$KV_BUILD/tests/e2e/uninstall_probe.exe" "$KV_DIR/"
  while IFS=$'\t' read -r code name publisher command64 command32; do
    [[ "$command64" != - ]] && wine reg add "$UNINSTALL_KEY\\$code" /reg:64 /v UninstallString \
      /d "C:\\kvtool\\uninstall_probe.exe /X$code" /f </dev/null >/dev/null
    [[ "$command32" != - ]] && wine reg add "$UNINSTALL_KEY\\$code" /reg:32 /v UninstallString \
      /d "C:\\kvtool\\uninstall_probe.exe /X$code" /f </dev/null >/dev/null
  done < <(kvsetup list products)
  run_check  # copies the program in, so that the state below holds it
  prefix_state >"$E2E_WORK/before"
  run_check
  assert_eq 114 "$CHECK_EXIT" "exit code of kvcheck"
  run_check -J -M 'Novax QZ-100'
  assert_eq 114 "$CHECK_EXIT" "exit code of kvcheck -J -M"
  prefix_state >"$E2E_WORK/after"
  assert_eq "" "$(diff "$E2E_WORK/before" "$E2E_WORK/after")" "what kvcheck changed in the prefix"
  assert_missing "$KV_DIR/uninstall_probe.log" "the probe's log"
  assert_missing "$LOG_DIR" "the log folder"
}

# kvcheck's documents before and after a clean run, on a share laid out as clean.cmd lays it out,
# make one report with kvreport.exe: the PC still holds the maker's drivers after (Wine keeps
# them), its queues are gone, and the page shows it in a browser.
test_check_documents_make_a_report() {
  local computer share
  computer=$(wine cmd /c 'echo %COMPUTERNAME%' </dev/null 2>/dev/null | tr -d '\r')
  share=$DRIVE_C/share/$computer
  mkdir -p "$share"
  cp "$KV_BUILD/src/report/kvreport.exe" "$KV_DIR/"
  run_check -J
  echo "$CHECK_OUT" >"$share/kvcheck-before.json"
  sleep 1  # another second: the documents' times tell before from after
  run_cleaner -C
  run_check -J
  echo "$CHECK_OUT" >"$share/kvcheck-after.json"
  (cd "$KV_DIR" && wine 'C:\kvtool\kvreport.exe' 'C:\share' -o 'C:\out' >/dev/null 2>&1 </dev/null)
  assert_eq 0 "$?" "exit code of kvreport.exe"
  assert_eq "$computer,still to clean,still to clean" "$(python3 -c '
import csv, sys
for row in csv.DictReader(open(sys.argv[1], encoding="utf-8-sig", newline="")):
    print(row["Computer"], row["State"], row["State before"], sep=",")' "$DRIVE_C/out/report.csv")" \
    "the report's row: computer, state after, state before"
  assert_contains '<td>Local queues</td><td>Novax QZ-100</td>' \
    "$(sed -n '/class="change"/,/<\/table>/p' "$DRIVE_C/out/report.html")" "a queue gone since before"
  assert_eq "clean=0 done=0 todo=1 failed=0 restart=0 drawn" \
    "$(python3 "$here/../report/browser_test.py" --page "$DRIVE_C/out/report.html")" \
    "the page's counts in a browser"
}

e2e_main "$@"
