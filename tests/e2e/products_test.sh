#!/usr/bin/env bash
# The product uninstall passes on the demo machine with installer packages (demo_packages.sh):
# which packages go in -C, -T and -C -M, the lines both passes write, and the silent-mode
# settings file that the uninstallers of the first pass find. Each test starts from a copy of
# the machine that the fixture prepared in KV_PRODUCTS_MACHINE.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
source "$here/demo_packages.sh"
KV_WINE_TEMPLATE=${KV_PRODUCTS_MACHINE:?the prepared machine with packages}

readonly SETTINGS_FILE='C:\ProgramData\NOVAX\KVXCLEAN.ini'
readonly MSIEXEC='C:\windows\system32\msiexec.exe'

# Sets code, arch and name to those of a package of DEMO_PACKAGES, by file name.
read_package() {  # file
  local row file publisher
  for row in "${DEMO_PACKAGES[@]}"; do
    IFS='|' read -r file code arch publisher name <<<"$row"
    [[ "$file" == "$1" ]] && return 0
  done
  e2e_fail "no package $1"
}

# What kvsetup lists when just the named packages are installed: the uninstall command in the
# registry view of the package's architecture, "-" in the other.
products_left() {  # file...
  local row file code arch publisher name kept command
  for row in "${DEMO_PACKAGES[@]}"; do
    IFS='|' read -r file code arch publisher name <<<"$row"
    for kept in "$@"; do
      [[ "$kept" == "$file" ]] || continue
      command="MsiExec.exe /I$code"
      if [[ "$arch" == x64 ]]; then
        printf '%s\t%s\t%s\t%s\t-\n' "$code" "$name" "$publisher" "$command"
      else
        printf '%s\t%s\t%s\t-\t%s\n' "$code" "$name" "$publisher" "$command"
      fi
    done
  done
}

readonly UNINSTALL_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'

# The codes that have an uninstall entry in the registry's 64-bit and 32-bit views. Which view
# a plain "wine reg" sees depends on whether Wine's 32-bit part is installed, so it is named.
uninstall_entries() {
  local bits
  for bits in 64 32; do
    wine reg query "$UNINSTALL_KEY" "/reg:$bits" </dev/null | tr -d '\r' | grep -o '{[^}]*}$' |
      sed "s/^/$bits-bit /"
  done
}

# The uninstall entries that a listing of kvsetup shows, in the form of uninstall_entries.
entries_in_listing() {  # listing
  awk -F '\t' '$4 != "-" { print "64-bit " $1 }' <<<"$1"
  awk -F '\t' '$5 != "-" { print "32-bit " $1 }' <<<"$1"
}

# The products and the uninstall entries when just the named packages are installed.
assert_products_left() {  # file...
  local expected
  expected=$(products_left "$@")
  assert_eq "$expected" "$(demo_products_listing)" "products left"
  assert_eq "$(entries_in_listing "$expected")" "$(uninstall_entries)" "uninstall entries left"
}

# The lines a pass writes for one package: uninstalled (a 32-bit package's entry, in the other
# registry view, is found there), kept, or gone since the first pass.
uninstalled() {  # file
  local code arch name
  read_package "$1"
  echo "Debug: Uninstall product : $name"
  echo "Debug: Uninstall command : $MSIEXEC /X$code /Qn /norestart"
  echo "Debug: Uninstaller exit code : 0"
}
kept() {  # file
  local code arch name
  read_package "$1"
  echo "Debug: Not uninstall product : $name"
}
gone() {  # file
  local code arch name
  read_package "$1"
  echo "Debug: Failed to get product name : $code"
}

first_pass() {
  log_section 'Debug: --- Uninstall Tarn Packages ---' 'Debug: -----Remote queues-----'
}
second_pass() {
  log_section 'Info: KVTool cleaner Uninstall product Again: ' \
    'Debug: KVTOOL cleaner execution completed.'
}

readonly LEFT_BY_DRIVERS=(pravik_scan.msi zul_toolbox.msi acme_suite.msi qz200_scan.msi)

# Without models every installed driver names packages, another maker's driver too; the name
# must end in the bracketed driver in the same letter case, and only the maker's packages
# (Publisher exactly "NOVAX") are looked at. -C and -T uninstall alike.
check_run_by_installed_drivers() {  # exit-code failure-count verdict
  assert_eq "$1" "$RUN_EXIT" "exit code"
  assert_operation_record "$2" "$3"
  assert_products_left "${LEFT_BY_DRIVERS[@]}"

  local expected
  expected=$(
    echo 'Info: Get enumerate product codes : num = 6'
    echo 'Info: Entry driver list : num = 16'
    uninstalled qz100_tools.msi
    uninstalled pravik_p5.msi
    uninstalled acme_bridge.msi
    kept pravik_scan.msi
    kept zul_toolbox.msi
    uninstalled pravik_plus.msi
    echo "Debug: Delete File : $SETTINGS_FILE"
  )
  assert_eq "$expected" "$(first_pass)" "first pass"
  expected=$(
    echo 'Info: Entry driver list : num = 16'
    gone qz100_tools.msi
    gone pravik_p5.msi
    gone acme_bridge.msi
    kept pravik_scan.msi
    kept zul_toolbox.msi
    gone pravik_plus.msi
  )
  assert_eq "$expected" "$(second_pass)" "second pass"
  # The discovery prints its failed reads: the names of the packages the first pass removed. The
  # 32-bit packages' uninstall entries are read in the other view, without a line.
  assert_eq "$(printf 'ERROR: failed with error code 0x645 (MsiGetProductInfo)\n%.0s' 1 2 3 4)" \
    "$(tr -d '\r' <<<"$RUN_OUT")" "console"
}

test_machine_lists_the_packages() {
  local row files=()
  for row in "${DEMO_PACKAGES[@]}"; do files+=("${row%%|*}"); done
  assert_products_left "${files[@]}"
}

test_clean_uninstalls_the_packages_of_installed_drivers() {
  run_cleaner -C
  # Every driver deletion fails under Wine (87), once per maker queue.
  check_run_by_installed_drivers 1 13 NG
}

test_simulation_uninstalls_the_same_packages() {
  local before
  before=$(demo_machine_listing)
  run_cleaner -T
  check_run_by_installed_drivers 0 0 OK
  assert_eq "$before" "$(demo_machine_listing)" "print objects after -T"
}

test_clean_with_one_model_uninstalls_only_its_package() {
  local queues
  queues=$(kvsetup list queues)
  run_cleaner -C -M "Pravik P5"
  assert_eq 1 "$RUN_EXIT" "exit code"
  assert_operation_record 2 NG
  assert_eq "$(drop_lines "$queues" $'Pravik P5 Back\tPravik P5\tDLM_SHARED' \
    $'Pravik P5 Front\tPravik P5\tDLM_SHARED')" "$(kvsetup list queues)" "queues left"
  assert_products_left qz100_tools.msi acme_bridge.msi pravik_scan.msi zul_toolbox.msi \
    pravik_plus.msi acme_suite.msi qz200_scan.msi

  # No driver list with models; "[Pravik P5 Plus]" does not end in "[Pravik P5]".
  local expected
  expected=$(
    echo 'Info: Get enumerate product codes : num = 6'
    kept qz100_tools.msi
    uninstalled pravik_p5.msi
    kept acme_bridge.msi
    kept pravik_scan.msi
    kept zul_toolbox.msi
    kept pravik_plus.msi
    echo "Debug: Delete File : $SETTINGS_FILE"
  )
  assert_eq "$expected" "$(first_pass)" "first pass"
  expected=$(
    kept qz100_tools.msi
    gone pravik_p5.msi
    kept acme_bridge.msi
    kept pravik_scan.msi
    kept zul_toolbox.msi
    kept pravik_plus.msi
  )
  assert_eq "$expected" "$(second_pass)" "second pass"
}

# Registers an uninstall command for a package in the 64-bit view and sets its code.
register_command() {  # file type command-before-the-code
  read_package "$1"
  wine reg add "$UNINSTALL_KEY\\$code" /reg:64 /v UninstallString /t "$2" /d "$3$code" /f \
    </dev/null >/dev/null
}

# The probe (uninstall_probe_win.cpp) takes the place of the 64-bit package qz100_tools.msi's
# registered uninstaller; it records whether the settings file is there while it runs and then
# removes the package itself. Runs the cleaner with the given options.
run_with_probe() {
  local code arch name command='C:\kvtool\uninstall_probe.exe /I'
  register_command qz100_tools.msi REG_EXPAND_SZ "$command"
  command+=$code
  cp "$KV_BUILD/tests/e2e/uninstall_probe.exe" "$KV_DIR/"
  assert_eq "$(printf '%s\t%s\tNOVAX\t%s\t-' "$code" "$name" "$command")" \
    "$(demo_products_listing | grep -F "$code")" "the probe registered"
  run_cleaner "$@"
  assert_eq 0 "$RUN_EXIT" "exit code"
  assert_eq "" "$(demo_products_listing | grep -F "$code")" "the package after the run"
  PROBE_CODE=$code
}

# The lines that tell what became of the settings file, and the commands of the first pass.
settings_file_lines() {
  detail_text | grep -E -e '^Debug: (Function : writeSilentModeINIFile|(Create|Delete) File : )' \
    -e '^Debug: (--- Uninstall Tarn Packages ---|Uninstall command : )'
}

# The commands of the other packages that a run without models uninstalls.
other_commands() {
  local file
  for file in pravik_p5.msi acme_bridge.msi pravik_plus.msi; do
    uninstalled "$file" | grep '^Debug: Uninstall command : '
  done
}

test_silent_mode_file_is_there_while_the_first_pass_runs() {
  run_with_probe -T
  assert_eq "command: C:\\kvtool\\uninstall_probe.exe /X$PROBE_CODE /Qn
KVXCLEAN.ini: present
$MSIEXEC /x $PROBE_CODE /qn: 0" "$(cat "$KV_DIR/uninstall_probe.log")" "what the probe saw"
  # UTF-8 with its byte-order mark, as SimpleIni saves it.
  assert_eq "$(printf '\xef\xbb\xbf[SilentMode]\r\nSilentMode = On\r\n' | od -An -c)" \
    "$(od -An -c "$KV_DIR/KVXCLEAN.ini.copy")" "the settings file the probe found"
  assert_missing "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini" "settings file after the run"
  assert_eq "Debug: Function : writeSilentModeINIFile
Debug: Create File : $SETTINGS_FILE
Debug: --- Uninstall Tarn Packages ---
Debug: Uninstall command : C:\\kvtool\\uninstall_probe.exe /X$PROBE_CODE /Qn
$(other_commands)
Debug: Delete File : $SETTINGS_FILE" "$(settings_file_lines)" "settings file lines"
}

test_popup_run_writes_no_settings_file() {
  # Without a display Wine's MessageBoxW fails at once, should any box come up.
  unset DISPLAY WAYLAND_DISPLAY
  run_with_probe -T -P
  assert_eq "command: C:\\kvtool\\uninstall_probe.exe /X$PROBE_CODE /Qn
KVXCLEAN.ini: absent
$MSIEXEC /x $PROBE_CODE /qn: 0" "$(cat "$KV_DIR/uninstall_probe.log")" "what the probe saw"
  assert_missing "$KV_DIR/KVXCLEAN.ini.copy" "copy of the settings file"
  assert_missing "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini" "settings file after the run"
  assert_eq "Debug: --- Uninstall Tarn Packages ---
Debug: Uninstall command : C:\\kvtool\\uninstall_probe.exe /X$PROBE_CODE /Qn
$(other_commands)" "$(settings_file_lines)" "settings file lines"
}

# Holds a mutex or an event of the name the settings lock once had, from a program of its own.
hold_old_lock_name() {  # mutex|event
  local try
  cp "$KV_BUILD/tests/e2e/object_holder.exe" "$KV_DIR/"
  (cd "$KV_DIR" && wine 'C:\kvtool\object_holder.exe' "$1" 'Global\kvcleaner KVXCLEAN.ini' \
    >/dev/null 2>&1 </dev/null &)
  for try in $(seq 150); do
    [[ -f "$KV_DIR/$1.held" ]] && return 0
    sleep 0.2
  done
  e2e_fail "the $1 was not held"
}

# Anybody may hold an object of that name: it steers no run, and the uninstallers find the
# settings file all the same. A lock file left behind is taken over, and goes with the run.
settings_file_despite() {  # mutex|event
  hold_old_lock_name "$1"
  mkdir -p "$DRIVE_C/ProgramData/NOVAX"
  : >"$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini.lock"
  run_with_probe -T
  assert_eq "command: C:\\kvtool\\uninstall_probe.exe /X$PROBE_CODE /Qn
KVXCLEAN.ini: present
$MSIEXEC /x $PROBE_CODE /qn: 0" "$(cat "$KV_DIR/uninstall_probe.log")" "what the probe saw"
  assert_eq "Warn: Settings lock left by something not ours, taken over: $SETTINGS_FILE.lock" \
    "$(detail_text | grep -E '^Warn: .*(Settings|another run)')" "the lock's lines"
  assert_missing "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini.lock" "the lock file after the run"
  assert_missing "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini" "settings file after the run"
}

test_a_mutex_of_the_old_lock_name_is_passed_over() { settings_file_despite mutex; }
test_an_event_of_the_old_lock_name_is_passed_over() { settings_file_despite event; }

# The cleaner's values of the settings file as reg lists them.
settings_values() {
  wine reg query 'HKLM\SOFTWARE\NOVAX\kvcleaner' /reg:64 </dev/null 2>/dev/null | tr -d '\r' |
    grep -o 'KVXCLEAN.ini [a-z]*'
}

# A run stopped while the probe, the uninstaller of `file`, waits in the first pass: the
# administrator's file saved beside the run's own, which is on disk.
stop_a_run_in_its_first_pass() {  # file
  local try cleaner
  rm -f "$KV_DIR/uninstall_probe.log"
  : >"$KV_DIR/uninstall_probe.wait"
  cp "$KV_BUILD/tests/e2e/uninstall_probe.exe" "$KV_DIR/"
  register_command "$1" REG_EXPAND_SZ 'C:\kvtool\uninstall_probe.exe /I'
  (cd "$KV_DIR" && exec wine 'C:\kvtool\kvcleaner.exe' -T >/dev/null 2>&1 </dev/null) &
  cleaner=$!
  for try in $(seq 300); do
    grep -q '^KVXCLEAN.ini: present' "$KV_DIR/uninstall_probe.log" 2>/dev/null && break
    sleep 0.2
  done
  kill -KILL "$cleaner"
  wait "$cleaner" 2>/dev/null
  assert_eq "KVXCLEAN.ini original
KVXCLEAN.ini written" "$(settings_values)" "the values a stopped run leaves"
  # The probe goes on and removes its package.
  rm -f "$KV_DIR/uninstall_probe.wait"
  for try in $(seq 300); do
    grep -qE '/qn: [0-9]+$' "$KV_DIR/uninstall_probe.log" && break
    sleep 0.2
  done
  rm -f "$LOG_DIR"/*.KVTOOL_CLEANER.log
}

# An administrator who rewrites or deletes the settings file after a run was stopped has the
# last word: the next run leaves theirs and drops the saved copy.
test_administrators_settings_file_stands_after_a_stopped_run() {
  local novax=$DRIVE_C/ProgramData/NOVAX
  local changed="Warn: Settings file changed since a run of ours wrote it, kept as it stands: $SETTINGS_FILE"
  mkdir -p "$novax"
  printf '[Admin]\r\nA=1\r\n' >"$novax/KVXCLEAN.ini"
  stop_a_run_in_its_first_pass qz100_tools.msi
  printf '[Admin]\r\nA=2\r\n' >"$novax/KVXCLEAN.ini"
  run_cleaner -C -M Nobody
  assert_eq "$changed" "$(detail_text | grep -F 'Settings file changed')" "rewritten: the line"
  assert_eq "$(printf '[Admin]\r\nA=2\r\n' | od -An -c)" "$(od -An -c "$novax/KVXCLEAN.ini")" \
    "rewritten: the administrator's file"
  assert_eq "" "$(settings_values)" "rewritten: the values after the run"

  rm -f "$LOG_DIR"/*.KVTOOL_CLEANER.log
  printf '[Admin]\r\nA=1\r\n' >"$novax/KVXCLEAN.ini"
  stop_a_run_in_its_first_pass pravik_p5.msi
  rm "$novax/KVXCLEAN.ini"
  run_cleaner -C -M Nobody
  assert_eq "$changed" "$(detail_text | grep -F 'Settings file changed')" "deleted: the line"
  assert_missing "$novax/KVXCLEAN.ini" "deleted: the settings file after the run"
  assert_eq "" "$(settings_values)" "deleted: the values after the run"
}

, one to expand, and the installer
# named without a folder start as named, not the probes planted where a misreading would find
# them. A number where the command should be runs the installer's own.
test_uninstall_commands_run_the_program_they_name() {
  local code arch name path
  register_command pravik_p5.msi REG_EXPAND_SZ '%SystemRoot%\system32\msiexec.exe /I'
  register_command acme_bridge.msi REG_SZ 'C:/NOVAX/Installer/rec.exe /I'
  local bridge=$code
  read_package pravik_plus.msi
  wine reg add "$UNINSTALL_KEY\\$code" /reg:32 /v UninstallString /t REG_DWORD /d 1 /f \
    </dev/null >/dev/null
  register_command qz100_tools.msi REG_SZ 'C:\ProgramData\KV.exe Tools\uninst.exe /I'
  for path in 'ProgramData/KV.exe Tools/uninst.exe' ProgramData/KV.exe NOVAX/{In,Xn}staller/rec.exe \
    kvwork/%SystemRoot%/system32/msiexec.exe {kvwork,kvtool}/MsiExec.exe; do
    mkdir -p "$(dirname "$DRIVE_C/$path")"
    cp "$KV_BUILD/tests/e2e/uninstall_probe.exe" "$DRIVE_C/$path"
  done
  RUN_IN=$DRIVE_C/kvwork run_cleaner -T
  # The command lines of the probes that ran; msiexec removed the other three packages.
  assert_eq "command: \"C:\\ProgramData\\KV.exe Tools\\uninst.exe\" /X$code /Qn
command: C:/NOVAX/Installer/rec.exe /X$bridge /Qn" "$(cd "$DRIVE_C" && find ProgramData NOVAX \
    kvwork kvtool -name uninstall_probe.log -exec head -qn1 {} + | LC_ALL=C sort)" "probes run"
  assert_eq "$(products_left "${LEFT_BY_DRIVERS[@]}")" "$(demo_products_listing)" "products left"
}

# The registered program is not there: the probe planted where a shorter path ends in ".exe" does
# not run in its place; the installer's own command removes the package.
test_missing_uninstaller_is_not_replaced_by_a_planted_program() {
  local code arch name
  register_command qz100_tools.msi REG_SZ 'C:\ProgramData\My.exe Tools\gone.exe /I'
  cp "$KV_BUILD/tests/e2e/uninstall_probe.exe" "$DRIVE_C/ProgramData/My.exe"
  run_cleaner -T -M 'Novax QZ-100'
  assert_eq 0 "$RUN_EXIT" "exit code"
  assert_missing "$DRIVE_C/ProgramData/uninstall_probe.log" "the planted program's log"
  assert_contains "Debug: Uninstall product : $name
Warn: The registered uninstaller is not there, so it is not run : C:\ProgramData\My.exe Tools\gone.exe
Info: Making uninstall string : $name
Debug: Uninstall command : $MSIEXEC /X$code /Qn /norestart
Debug: Uninstaller exit code : 0" "$(detail_text)" "the lines"
  assert_eq "" "$(demo_products_listing | grep -F "$code")" "the package after the run"
}

readonly MACHINE_VALUES='HKLM\SOFTWARE\NOVAX\kvcleaner'

# The record of a restart owed as reg shows it, or nothing.
restart_record() {
  wine reg query "$MACHINE_VALUES" /v RestartRequired /reg:64 </dev/null 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *RestartRequired *REG_MULTI_SZ *//p'
}

# kvcheck -J's "restartRequired", keys sorted.
restart_reported() {
  cp "$KV_BUILD/src/check/kvcheck.exe" "$KV_DIR/"
  (cd "$KV_DIR" && wine 'C:\kvtool\kvcheck.exe' -J 2>/dev/null </dev/null) | python3 -c \
    'import json, sys; print(json.dumps(json.load(sys.stdin)["restartRequired"], sort_keys=True))'
}

# An uninstaller that exits 3010 owes a restart: recorded beside the note (the time, then the
# product), reported by kvcheck while the PC has not started since; a clean run after a restart
# clears it. The time of an earlier start stands in for a restart.
test_restart_owed_is_recorded_reported_and_cleared() {
  local code arch name since
  register_command qz100_tools.msi REG_SZ 'C:\windows\system32\cmd.exe /c exit 3010 /I'
  run_cleaner -T -M 'Novax QZ-100'
  assert_contains "Warn: Restart required to finish uninstalling product : $name" \
    "$(detail_text)" "the warning"
  since=$(restart_record | sed 's/\\0.*//')
  assert_eq "$since\\0$name" "$(restart_record)" "the record"
  assert_match '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z$' "$since" "its time"
  assert_eq "{\"products\": [\"$name\"], \"required\": true, \"since\": \"$since\"}" \
    "$(restart_reported)" "kvcheck while it is owed"
  wine reg add "$MACHINE_VALUES" /reg:64 /v RestartRequired /t REG_MULTI_SZ \
    /d "2000-01-01T00:00:00Z\\0$name" /f </dev/null >/dev/null
  assert_eq '{"required": false}' "$(restart_reported)" "kvcheck after a restart"
  run_cleaner -C -M Nobody
  assert_eq "" "$(restart_record)" "the record after a clean run"
}

e2e_main "$@"
