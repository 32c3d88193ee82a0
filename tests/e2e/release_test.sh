#!/usr/bin/env bash
# What the release build puts into kvcleaner.exe, kvcheck.exe and kvdisconnect.exe, read back
# under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Environment: KV_VERSION, the version that project() gives (three numbers); KV_OBJDUMP, the
# build's objdump.

# Per program: its name, its description, its assembly's name and the rights it asks for.
readonly PROGRAMS=(
  "kvcleaner|KVTool Cleaner: removes NOVAX print queues, ports, drivers and installer packages|NOVAX.KVToolCleaner|requireAdministrator"
  "kvcheck|KVTool Cleaner check: shows what kvcleaner -C would remove, changing nothing|NOVAX.KVToolCleaner.Check|asInvoker"
  "kvdisconnect|KVTool Cleaner disconnect: removes the signed-in user's connections to the maker's printers|NOVAX.KVToolCleaner.Disconnect|asInvoker"
)

test_version_information_and_manifest_are_in_the_program() {
  local row program description assembly level out code manifest
  cp "$KV_BUILD/src/check/kvcheck.exe" "$KV_BUILD/src/disconnect/kvdisconnect.exe" "$KV_DIR/"
  for row in "${PROGRAMS[@]}"; do
    IFS='|' read -r program description assembly level <<<"$row"
    out=$(wine "$KV_BUILD/tests/e2e/resource_reader.exe" "C:\\kvtool\\$program.exe" </dev/null)
    code=$?
    assert_eq 0 "$code" "exit code of the resource reader for $program"
    assert_eq "Translation=040904b0
CompanyName=NOVAX
FileDescription=$description
FileVersion=$KV_VERSION.0
InternalName=$program
LegalCopyright=Copyright (C) 2026 NOVAX
OriginalFilename=$program.exe
ProductName=KVTool Cleaner
ProductVersion=$KV_VERSION
Fixed file version=$KV_VERSION.0
Fixed product version=$KV_VERSION.0
Manifest:" "$(sed -n '1,/^Manifest:$/p' <<<"$out")" "version information of $program"

    manifest=$(sed '1,/^Manifest:$/d' <<<"$out")
    assert_eq "$(cat "$KV_BUILD/resources/$program.manifest")" "$manifest" "$program's manifest as built"
    assert_match "<assemblyIdentity type=\"win32\" name=\"${assembly//./\\.}\" version=\"$KV_VERSION.0\"/>" \
      "$manifest" "$program's assembly identity"
    assert_match "<requestedExecutionLevel level=\"$level\" uiAccess=\"false\"/>" \
      "$manifest" "$program's execution level"
    assert_match '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>' \
      "$manifest" "$program's long paths"
    assert_eq "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}
{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}
{1f676c76-80e1-4239-95bb-83d0f6d0da78}
{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" "$(grep -o '<supportedOS Id="[^"]*"' <<<"$manifest" | cut -d'"' -f2)" \
      "$program's supported systems: Windows 7, 8, 8.1, 10 and 11"
  done
}

# The stamp is written when the program is linked, so it lies within the link (a few seconds)
# before the program file was written. A stamp taken when CMake configured is older than that
# by the whole build, and by any time between configuring and a rebuild.
test_build_stamp_is_the_time_of_the_link() {
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  local line
  line=$(sed -n 2p "$(detail_log_in "$LOG_DIR")")
  local stamp_form='(Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}'
  assert_match "^Debug: $stamp_form"$'\r'"$" "$line" "stamp line"
  local stamp linked written
  stamp=${line#Debug: }
  linked=$(date -d "${stamp%$'\r'}" +%s)
  written=$(stat -c %Y "$KV_BUILD/src/cleaner/kvcleaner.exe")
  if ((linked > written || written - linked > 120)); then
    e2e_fail "stamp ${stamp%$'\r'} is not within the 120 s before the program was written ($(date -d "@$written"))"
  fi
}

# Windows takes these from its system folder whatever lies beside the program (KnownDLLs of
# Windows 7 to 11); every other DLL the program loads itself, from the system folder.
test_program_imports_only_known_dlls() {
  assert_eq "ADVAPI32.dll
KERNEL32.dll
msvcrt.dll
USER32.dll" "$("$KV_OBJDUMP" -p "$KV_BUILD/src/cleaner/kvcleaner.exe" | sed -n 's/^\tDLL Name: //p')" \
    "imported DLLs"
}

# Wine prefers its own DLLs; "n,b" has it look for native ones, beside the program first, as
# Windows does for a DLL that is not a KnownDLL. The driver package phase (asked for in the -F
# file) loads setupapi.dll as well.
test_dlls_planted_beside_the_program_are_not_loaded() {
  cp "$KV_BUILD/tests/e2e/kvplanted.dll" "$KV_DIR/msi.dll"
  cp "$KV_BUILD/tests/e2e/kvplanted.dll" "$KV_DIR/winspool.drv"
  cp "$KV_BUILD/tests/e2e/kvplanted.dll" "$KV_DIR/setupapi.dll"
  printf '[Clean]\r\nDriverPackages=Remove\r\n' >"$KV_DIR/packages.ini"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;msi=n,b;winspool.drv=n,b;setupapi=n,b" \
    run_cleaner -T -F 'C:\kvtool\packages.ini'
  assert_contains 'Info: KVTool cleaner Deleting driver packages started: ' "$(detail_text)" \
    "the package phase"
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  assert_eq "" "$(cd "$KV_DIR" && ls -- *.loaded 2>/dev/null)" "marks of planted DLLs"
  assert_operation_record 0 OK
}

# When msi.dll cannot be loaded from the system folder (Wine's own there is builtin, which "n"
# forbids), the product listing fails with the load's error and the run goes on, as after any
# failure of the installer service.
test_missing_system_dll_fails_as_its_calls_do() {
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;msi=n" run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  assert_eq "ERROR: failed with error code 0x7E (MsiEnumProducts)" "$(tr -d '\r' <<<"$RUN_OUT")" \
    "console"
  assert_eq "Error: Failed to enumerate product codes." "$(detail_text | grep -F 'product codes')" \
    "product listing in the detail log"
}

e2e_main "$@"
