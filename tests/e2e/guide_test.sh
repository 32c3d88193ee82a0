#!/usr/bin/env bash
# The release's scripts (resources/scripts, scripts\ of the zip) under Wine's 64- and 32-bit cmd
# on the demo machine (demo_machine.sh); and the administrator's guide's example of kvcheck's
# report is made of lines that kvcheck prints there. Each test starts from a copy of the machine that the fixture
# prepared in KV_DEMO_MACHINE.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}
readonly GUIDE=$here/../../docs/ADMIN-GUIDE.txt SCRIPTS=$here/../../resources/scripts

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

readonly KVTOOL='C:\Program Files\KVTool' ARM64='ARM64 PC: the programs have not been tried on ARM64, so nothing was changed (exit code 50)'

# The zip's layout in C:\kvtool: scripts\ with Windows line ends, as scripts/package packs them,
# and x64\ with the programs of this build.
install_release() {
  mkdir -p "$KV_DIR/x64" "$KV_DIR/scripts" "$DRIVE_C/kvshare"
  local file
  for file in "$SCRIPTS"/*; do sed 's/$/\r/' "$file" >"$KV_DIR/scripts/${file##*/}"; done
  for file in cleaner/kvcleaner.exe check/kvcheck.exe disconnect/kvdisconnect.exe \
    cleaner/KV_TOOLS_LNG.IRC; do
    cp "$KV_BUILD/src/$file" "$KV_DIR/x64/"
  done
}

# Runs scripts\<script> through Wine's 32- or 64-bit cmd (Intune starts the 32-bit one,
# Configuration Manager's client the 64-bit one) after "set" commands; sets CMD_EXIT and CMD_OUT.
run_script() {  # 32|64 script [name=value...]
  local cmd=(wine 'C:\windows\syswow64\cmd.exe') sets="" setting
  [[ $1 == 32 ]] || cmd=(/usr/lib/wine/wine64 'C:\windows\system32\cmd.exe')
  for setting in "${@:3}"; do sets+="set $setting&& "; done
  CMD_OUT=$(cd "$KV_DIR" && "${cmd[@]}" /c "${sets}C:\\kvtool\\scripts\\$2" 2>/dev/null </dev/null | tr -d '\r')
  CMD_EXIT=${PIPESTATUS[0]}
}

# What clean.cmd leaves on the PC and in each folder of results after a run with the shipped
# models: Wine refuses every driver deletion, so their four drivers fail (Pravik P5 once for each
# of its two queues) and the cleaner's 1 is clean.cmd's.
assert_clean_run() {  # result folders
  assert_eq 1 "$CMD_EXIT" "exit code of clean.cmd"
  cmp "$KV_DIR/x64/kvcheck.exe" "$DRIVE_C/Program Files/KVTool/kvcheck.exe" &&
    cmp "$KV_DIR/scripts/clean.ini" "$DRIVE_C/Program Files/KVTool/clean.ini" || e2e_fail "KVTool"
  local folder
  for folder in "$@"; do
    assert_eq "['Novax QZ-100', 'NOVAX qz-200', 'haldenJet Pro 9', 'Pravik P5'] True True 1" \
      "$(python3 -c 'import json, sys; b, a = (json.load(open(f"{sys.argv[1]}/kvcheck-{n}.json")) for n in ("before", "after")); print(b["models"], b["found"], a["found"])' "$folder") $(ls "$folder" | grep -c KVTOOL_CLEANER)" "results in $folder"
    assert_match "^Cleaner: $(computer_name), Start:$TIME, End:$TIME, 5, NG\$" \
      "$(tr -d '\r' <"$folder/Operation.log")" "Operation.log in $folder"
  done
}

# A first run as the 32- or 64-bit cmd runs it: detection says "not installed" before and, with
# the drivers left by Wine, after; the results are on the PC and on the share.
clean_and_detect_under() {  # 32|64
  install_release
  sed -i 's/^set "LOGSHARE=.*/set "LOGSHARE=C:\\kvshare"\r/' "$KV_DIR/scripts/clean.cmd"
  run_script "$1" detect.cmd
  assert_eq "1 not installed: clean.cmd has not run here (no \"$KVTOOL\\kvcheck.exe\")" "$CMD_EXIT $CMD_OUT" "detect.cmd before"
  run_script "$1" clean.cmd
  assert_eq "" "$(grep '^clean.cmd:' <<<"$CMD_OUT")" "clean.cmd's lines"
  assert_contains "\"$KVTOOL\\kvdisconnect.exe\" -C -F \"$KVTOOL\\clean.ini\"" "$(wine reg query \
    'HKLM\SOFTWARE\Microsoft\Active Setup\Installed Components' /s /reg:64 2>/dev/null | grep -a StubPath)" "-R"
  assert_clean_run "$LOG_DIR" "$DRIVE_C/kvshare/$(computer_name)"
  run_script "$1" detect.cmd
  assert_eq "1 not installed: kvcheck says a clean run would still change something" "$CMD_EXIT $CMD_OUT" "detect.cmd after"
}

test_scripts_of_the_zip_under_the_64_bit_cmd() { clean_and_detect_under 64; }
test_scripts_of_the_zip_under_the_32_bit_cmd() { clean_and_detect_under 32; }

# The shipped share, not there: the results stay on the PC, one line says so, the code is kept.
test_missing_share_loses_nothing() {
  install_release
  run_script 32 clean.cmd
  assert_eq "clean.cmd: could not copy the results to \"\\\\fileserver\\kvlogs\$\\$(computer_name)\"; they stay in \"C:\\ProgramData\\NOVAX\\MXQLOG\"" \
    "$(grep '^clean.cmd:' <<<"$CMD_OUT")" "clean.cmd's line on the share"
  assert_clean_run "$LOG_DIR"
}

# An ARM64 PC as Windows shows it to a native process, to an x86 one, and to an emulated x64 one
# (AMD64 alone: the system's record in the registry tells): the scripts refuse, nothing changes.
test_arm64_pc_is_refused_by_every_script() {
  install_release
  local case bits arch wow
  for case in '64 ARM64 ' '32 x86 ARM64' '64 AMD64 '; do
    read -r bits arch wow <<<"$case"
    [[ $arch != AMD64 ]] || wine reg add 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' \
      /v PROCESSOR_ARCHITECTURE /d ARM64 /f >/dev/null 2>&1
    local script result=""
    for script in clean.cmd disconnect.cmd detect.cmd; do
      run_script "$bits" "$script" "PROCESSOR_ARCHITECTURE=$arch" "PROCESSOR_ARCHITEW6432=$wow"
      result+="$CMD_EXIT $CMD_OUT"$'\n'
    done
    assert_eq "50 clean.cmd: $ARM64
50 disconnect.cmd: $ARM64
1 not installed: ARM64 PC, where clean.cmd refuses to run" "${result%$'\n'}" "scripts, $case"
  done
  assert_missing "$DRIVE_C/Program Files/KVTool" "KVTool"
  assert_missing "$LOG_DIR" "the log folder"
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
