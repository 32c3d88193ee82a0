#!/usr/bin/env bash
# The commands of the administrator's guide (docs/ADMIN-GUIDE.txt) run as it prints them: its
# example clean.cmd and its detection command, taken from between their marker lines, under
# Wine's cmd on the demo machine (demo_machine.sh); and its example of kvcheck's report is made of
# lines that kvcheck prints there. Each test starts from a copy of the machine that the fixture
# prepared in KV_DEMO_MACHINE.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}
readonly GUIDE=$here/../../docs/ADMIN-GUIDE.txt

# The one change made to the guide's clean.cmd: its share becomes a folder of the prefix.
readonly GUIDE_SHARE_LINE='set LOGSHARE=\\fileserver\kvlogs$'
readonly TEST_SHARE_LINE='set LOGSHARE=C:\kvshare'
# Where clean.cmd leaves kvcheck.exe and the detection command runs it.
readonly KVCHECK_HOME='Program Files/KVTool'

# The lines of the guide between the marker lines "--- begin <name> ---" and "--- end <name>
# ---" (a "rem " and the indent may lead them), without the two spaces that indent every block
# of the guide. Fails unless the guide holds exactly one such block.
guide_block() {
  awk -v begin="--- begin $1 ---" -v end="--- end $1 ---" '
    { line = $0; sub(/^ *(rem )?/, "", line) }
    line == end { inside = 0 }
    inside { text = $0; sub(/^  /, "", text); print text }
    line == begin { inside = 1; found++ }
    END { exit found == 1 ? 0 : 1 }' "$GUIDE"
}

# Writes text into the prefix as a batch file with Windows line ends: text file.
write_cmd() {
  sed 's/$/\r/' <<<"$1" >"$2"
}

# The release's layout in C:\kvtool: x64\ with the programs of this build and clean.cmd beside
# it (the guide's, with the test's share), and the guide's detection command as detect.cmd.
install_guide_commands() {
  local clean detect
  clean=$(guide_block 'clean.cmd') || { e2e_fail "no single clean.cmd in the guide"; return 1; }
  detect=$(guide_block 'detection command') ||
    { e2e_fail "no single detection command in the guide"; return 1; }
  assert_eq 1 "$(grep -cxF "$GUIDE_SHARE_LINE" <<<"$clean")" "share line of the guide's clean.cmd"
  clean=${clean/"$GUIDE_SHARE_LINE"/"$TEST_SHARE_LINE"}
  mkdir -p "$KV_DIR/x64" "$DRIVE_C/kvshare"
  cp "$KV_BUILD/src/cleaner/kvcleaner.exe" "$KV_BUILD/src/check/kvcheck.exe" "$KV_DIR/x64/"
  if [[ -f "$KV_BUILD/src/cleaner/KV_TOOLS_LNG.IRC" ]]; then
    cp "$KV_BUILD/src/cleaner/KV_TOOLS_LNG.IRC" "$KV_DIR/x64/"
  fi
  write_cmd "$clean" "$KV_DIR/clean.cmd"
  write_cmd "$detect" "$KV_DIR/detect.cmd"
}

# Runs a batch file of C:\kvtool through Wine's cmd; sets CMD_EXIT and CMD_OUT. Wine's cmd is a
# 32-bit program (as the command of an Intune Win32 app is), so clean.cmd takes x64\ through
# PROCESSOR_ARCHITEW6432.
run_cmd() {
  CMD_OUT=$(cd "$KV_DIR" && wine cmd /c "C:\\kvtool\\$1" 2>"$E2E_WORK/cmd-stderr" </dev/null)
  CMD_EXIT=$?
}

json_found() {  # file
  python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["found"])' "$1"
}

test_clean_cmd_and_detection_of_the_guide() {
  install_guide_commands || return
  local home=$DRIVE_C/$KVCHECK_HOME
  # Before: kvcheck.exe where a first clean.cmd leaves it, the machine full of the maker's queues.
  mkdir -p "$home"
  cp "$KV_BUILD/src/check/kvcheck.exe" "$home/"
  run_cmd detect.cmd
  assert_eq 114 "$CMD_EXIT" "detection before clean.cmd"
  rm -rf "$home"

  run_cmd clean.cmd
  # The cleaner's own code, passed on: Wine refuses every driver deletion with 87, so -C ends
  # with 1 here (on Windows the drivers go and the code is 0).
  assert_eq 1 "$CMD_EXIT" "exit code of clean.cmd"
  cmp -s "$KV_BUILD/src/check/kvcheck.exe" "$home/kvcheck.exe" ||
    e2e_fail "clean.cmd did not leave kvcheck.exe in C:\\Program Files\\KVTool"

  local out
  out=$DRIVE_C/kvshare/$(computer_name)
  assert_match "^Cleaner: $(computer_name), Start:$TIME, End:$TIME, 13, NG\$" \
    "$(tr -d '\r' <"$out/Operation.log" 2>/dev/null)" "Operation.log on the share"
  assert_eq 1 "$(find "$out" -name '*.KVTOOL_CLEANER.log' | wc -l)" "detail logs on the share"
  assert_eq True "$(json_found "$out/kvcheck-before.json")" "kvcheck -J before the run"
  assert_eq True "$(json_found "$out/kvcheck-after.json")" "kvcheck -J after the run"

  # After: still 114. Wine refused every driver deletion, and with their queues gone no clean run
  # reaches those drivers again: kvcheck lists them as such. On Windows the drivers go with their
  # queues and the detection gives 0.
  run_cmd detect.cmd
  assert_eq 114 "$CMD_EXIT" "detection after clean.cmd"
  assert_eq "$(printf '%s\n' "${DEMO_QUEUES[@]}" | cut -d'|' -f2 | sort -fu)" \
    "$(listed drivers | sort -f)" "drivers left by Wine"
}

# Each line of the guide's example report is a line of kvcheck's report on the same machine, in
# the same order; "[...]" stands for lines left out.
test_example_report_of_the_guide_is_what_kvcheck_prints() {
  local example report
  example=$(guide_block 'kvcheck example') || { e2e_fail "no single kvcheck example in the guide"; return; }
  cp "$KV_BUILD/src/check/kvcheck.exe" "$KV_DIR/"
  report=$(cd "$KV_DIR" && wine 'C:\kvtool\kvcheck.exe' 2>/dev/null </dev/null)
  assert_eq 114 "$?" "exit code of kvcheck"
  local missing
  missing=$(python3 -c '
import sys
example, report = sys.argv[1].splitlines(), sys.argv[2].replace("\r", "").splitlines()
at = 0
for line in example:
    if line == "[...]":
        continue
    try:
        at = report.index(line, at) + 1
    except ValueError:
        print(line)
        break
' "$example" "$report")
  assert_eq "" "$missing" "first line of the guide's example not in kvcheck's report (in order)"
}

e2e_main "$@"
