#!/usr/bin/env bash
# The release's scripts (resources/scripts, the zip's scripts\) run as the zip holds them, under
# Wine's 64- and 32-bit cmd on the demo machine (demo_machine.sh); and the guide's example of
# kvcheck's report is made of lines that kvcheck prints there. Each test starts from a copy of
# the machine that the fixture prepared in KV_DEMO_MACHINE.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}
readonly GUIDE=$here/../../docs/ADMIN-GUIDE.txt
readonly SCRIPTS=$here/../../resources/scripts

# The one change made to the shipped clean.cmd: its share becomes a folder of the prefix.
readonly SHIPPED_SHARE_LINE='set "LOGSHARE=\\fileserver\kvlogs$"'
readonly TEST_SHARE_LINE='set "LOGSHARE=C:\kvshare"'
readonly KVTOOL='C:\Program Files\KVTool'
readonly LOCAL_LOG='C:\ProgramData\NOVAX\MXQLOG'
readonly NO_KVDISCONNECT='clean.cmd: could not copy C:\kvtool\x64\kvdisconnect.exe to "C:\Program Files\KVTool"
clean.cmd: no kvdisconnect.exe, so users'"'"' printer connections stay after their next logon'

# The lines of the guide between the marker lines "--- begin <name> ---" and "--- end <name>
# ---" (the indent may lead them), without the two spaces that indent every block of the guide.
# Fails unless the guide holds exactly one such block.
guide_block() {
  awk -v begin="--- begin $1 ---" -v end="--- end $1 ---" '
    { line = $0; sub(/^ */, "", line) }
    line == end { inside = 0 }
    inside { text = $0; sub(/^  /, "", text); print text }
    line == begin { inside = 1; found++ }
    END { exit found == 1 ? 0 : 1 }' "$GUIDE"
}

# The zip's layout in C:\kvtool: scripts\ with Windows line ends, as scripts/package packs them,
# and x64\ with the programs of this build.
install_release() {
  mkdir -p "$KV_DIR/x64" "$KV_DIR/scripts" "$DRIVE_C/kvshare"
  local script program
  for script in "$SCRIPTS"/*; do sed 's/$/\r/' "$script" >"$KV_DIR/scripts/$(basename "$script")"; done
  for program in cleaner/kvcleaner.exe check/kvcheck.exe disconnect/kvdisconnect.exe \
    cleaner/KV_TOOLS_LNG.IRC; do
    [[ -f $KV_BUILD/src/$program ]] && cp "$KV_BUILD/src/$program" "$KV_DIR/x64/"
  done
  assert_eq 1 "$(grep -cxF "$SHIPPED_SHARE_LINE$(printf '\r')" "$KV_DIR/scripts/clean.cmd")" \
    "share line of clean.cmd"
}

use_test_share() {
  sed -i "s/^${SHIPPED_SHARE_LINE//\\/\\\\}/${TEST_SHARE_LINE//\\/\\\\}/" "$KV_DIR/scripts/clean.cmd"
}

# Runs a script of C:\kvtool\scripts through Wine's cmd of the given bitness after the given
# "set" commands; sets CMD_EXIT and CMD_OUT (its output without carriage returns). Intune runs
# an app's command through the 32-bit cmd; Configuration Manager's client through the 64-bit one.
run_script() {  # 32|64 script [name=value...]
  local bits=$1 script=$2 line="" setting
  shift 2
  for setting in "$@"; do line+="set $setting&& "; done
  local cmd=('wine' 'C:\windows\syswow64\cmd.exe')
  [[ $bits == 64 ]] && cmd=("${KV_WINE64:-/usr/lib/wine/wine64}" 'C:\windows\system32\cmd.exe')
  CMD_OUT=$(cd "$KV_DIR" && "${cmd[@]}" /c "${line}C:\\kvtool\\scripts\\$script" \
    2>"$E2E_WORK/cmd-stderr" </dev/null | tr -d '\r')
  CMD_EXIT=${PIPESTATUS[0]}
}

json_field() {  # file field
  python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$1" "$2"
}

# What clean.cmd leaves where, after a run on the demo machine with the shipped models.
assert_clean_run_results() {  # folder of the results on the share ("" when none)
  local home=$DRIVE_C/Program\ Files/KVTool local=$LOG_DIR share=$1
  cmp -s "$KV_DIR/x64/kvcheck.exe" "$home/kvcheck.exe" || e2e_fail "no kvcheck.exe in $KVTOOL"
  cmp -s "$KV_DIR/scripts/clean.ini" "$home/clean.ini" || e2e_fail "no clean.ini in $KVTOOL"
  assert_eq "" "$(cd "$home" && ls kvcheck-*.json 2>/dev/null)" "results left in $KVTOOL"
  local folder
  for folder in "$local" ${share:+"$share"}; do
    assert_eq "['Novax KX-100', 'NOVAX kx-200', 'haldenJet Pro 9', 'Pravik P5']" \
      "$(json_field "$folder/kvcheck-before.json" models)" "models of kvcheck -J before, in $folder"
    assert_eq True "$(json_field "$folder/kvcheck-before.json" found)" "before, in $folder"
    assert_eq True "$(json_field "$folder/kvcheck-after.json" found)" "after, in $folder"
    assert_eq 1 "$(find "$folder" -name '*.KVTOOL_CLEANER.log' | wc -l)" "detail logs in $folder"
    # Wine refuses every driver deletion: the four models' drivers fail, Pravik P5 once for
    # each of its two queues.
    assert_match "^Cleaner: $(computer_name), Start:$TIME, End:$TIME, 5, NG\$" \
      "$(tr -d '\r' <"$folder/Operation.log" 2>/dev/null)" "Operation.log in $folder"
  done
}

# The scripts' first run on a PC, as the 32- or 64-bit cmd runs them: detection says "not
# installed" before and, since Wine refuses every driver deletion, after clean.cmd too; clean.cmd
# passes the cleaner's 1 on and leaves every result on the PC and on the share.
clean_and_detect_under() {  # 32|64
  install_release || return
  use_test_share
  run_script "$1" detect.cmd
  assert_eq 1 "$CMD_EXIT" "detect.cmd before clean.cmd"
  assert_eq "not installed: clean.cmd has not run here (no \"$KVTOOL\\kvcheck.exe\")" "$CMD_OUT" \
    "detect.cmd's line before"

  run_script "$1" clean.cmd
  assert_eq 1 "$CMD_EXIT" "exit code of clean.cmd (the cleaner's)"
  if [[ -f $KV_DIR/x64/kvdisconnect.exe ]]; then
    assert_eq "" "$CMD_OUT" "clean.cmd's lines"
    local stub
    stub=$(wine reg query 'HKLM\SOFTWARE\Microsoft\Active Setup\Installed Components' /s \
      /f kvdisconnect /d 2>/dev/null | tr -d '\r' | grep -i 'StubPath')
    assert_contains "\"$KVTOOL\\kvdisconnect.exe\" -C -F \"$KVTOOL\\clean.ini\"" "$stub" \
      "kvdisconnect registered for the next logons"
  else
    assert_eq "$NO_KVDISCONNECT" "$CMD_OUT" "clean.cmd's lines without kvdisconnect.exe"
  fi
  assert_clean_run_results "$DRIVE_C/kvshare/$(computer_name)"

  run_script "$1" detect.cmd
  assert_eq 1 "$CMD_EXIT" "detect.cmd after clean.cmd"
  assert_eq "not installed: kvcheck says a clean run would still change something" "$CMD_OUT" \
    "detect.cmd's line after"
}

test_scripts_of_the_zip_under_the_64_bit_cmd() { clean_and_detect_under 64; }
test_scripts_of_the_zip_under_the_32_bit_cmd() { clean_and_detect_under 32; }

# The shipped clean.cmd, its share not there: the results stay on the PC, one line says so, and
# the exit code is still the cleaner's.
test_missing_share_loses_nothing() {
  install_release || return
  run_script 32 clean.cmd
  assert_eq 1 "$CMD_EXIT" "exit code of clean.cmd (the cleaner's)"
  assert_eq "clean.cmd: could not copy the results to \"\\\\fileserver\\kvlogs\$\\$(computer_name)\"; they stay in \"$LOCAL_LOG\"" \
    "$(grep -v 'kvdisconnect' <<<"$CMD_OUT")" "clean.cmd's line on the share"
  assert_clean_run_results ""
}

# An ARM64 PC, as Windows shows it to a native process, to an x86 one and to an x64 one (which
# emulation may show AMD64 alone, so the system's record in the registry tells): clean.cmd and
# disconnect.cmd refuse with 50, detect.cmd says "not installed", and nothing changes.
test_arm64_pc_is_refused_by_every_script() {
  install_release || return
  use_test_share
  local case bits architecture wow registry
  for case in '64|ARM64||' '32|x86|ARM64|' '64|AMD64||ARM64'; do
    IFS='|' read -r bits architecture wow registry <<<"$case"
    [[ -n $registry ]] && wine reg add \
      'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' \
      /v PROCESSOR_ARCHITECTURE /d "$registry" /f >/dev/null 2>&1
    local settings=("PROCESSOR_ARCHITECTURE=$architecture" "PROCESSOR_ARCHITEW6432=$wow")
    run_script "$bits" clean.cmd "${settings[@]}"
    assert_eq 50 "$CMD_EXIT" "clean.cmd, $case"
    assert_eq "clean.cmd: ARM64 PC: the programs have not been tried on ARM64, so nothing was changed (exit code 50)" \
      "$CMD_OUT" "clean.cmd's line, $case"
    run_script "$bits" disconnect.cmd "${settings[@]}"
    assert_eq 50 "$CMD_EXIT" "disconnect.cmd, $case"
    assert_eq "disconnect.cmd: ARM64 PC: the programs have not been tried on ARM64, so nothing was changed (exit code 50)" \
      "$CMD_OUT" "disconnect.cmd's line, $case"
    run_script "$bits" detect.cmd "${settings[@]}"
    assert_eq 1 "$CMD_EXIT" "detect.cmd, $case"
    assert_eq "not installed: ARM64 PC, where clean.cmd refuses to run" "$CMD_OUT" \
      "detect.cmd's line, $case"
  done
  assert_missing "$DRIVE_C/Program Files/KVTool" "KVTool after the refusals"
  assert_missing "$LOG_DIR" "log folder after the refusals"
  assert_eq "$(printf '%s\n' "${DEMO_QUEUES[@]}" | cut -d'|' -f1 | sort -f)" \
    "$(listed queues | cut -f1 | sort -f)" "queues after the refusals"
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
