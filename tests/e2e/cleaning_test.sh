#!/usr/bin/env bash
# The cleaning run on the demo machine (demo_machine.sh): what -T reports and leaves, what -C
# removes and keeps, and the "DeletePort" records the port monitors receive. Each test starts
# from a copy of the machine that the fixture prepared in KV_DEMO_MACHINE.
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/demo_machine.sh"
source "$here/demo_packages.sh"
KV_WINE_TEMPLATE=${KV_DEMO_MACHINE:?the prepared demo machine}

# The maker's queues in the order the spooler lists them (by name): queue|driver|port.
readonly MAKER_QUEUES=(
  'HaldenJet Pro 9|haldenJet Pro 9|DLM_IP:10.0.0.5'
  'Kestavo K7|Kestavo k7 PCL|npa/lab/7'
  'Marlowe M2|marlowe M2 PS|NPA_0001'
  'NFG Archive|nfg Archive Writer|C:\kvout\novax.prn'
  'Novax QZ-100|Novax QZ-100|DLM_USB001'
  'Novax QZ-200 Hub|NOVAX qz-200|DLM_HUB'
  'Omni Front Desk|PCL6 Driver for Omni Print|OMNI1:'
  'Omni Studio|PS Driver for Omni Print|OMNI2:'
  'Pravik P5 Back|Pravik P5|DLM_SHARED'
  'Pravik P5 Front|Pravik P5|DLM_SHARED'
  'Pravik P5 Plus|Pravik P5 Plus|PRAVIK2:'
  'Torin T3|tOrIn T3 Mono|TORIN1:'
  'Zul Z1|Zul Z1 Color|IP_10.0.0.9'
)
# Another maker's queue ("Acme Hub") prints through this maker port too.
readonly KEPT_PORT=DLM_HUB

# The Error lines of the removal phases (the silent-mode file logs its own before them).
removal_errors() {
  log_section 'Info: KVTool cleaner Deleting local queue started: ' \
    'Info: KVTool cleaner Uninstall product Again: ' | grep '^Error: '
}

# The port phase's lines for a port deleted through its monitor's "DeletePort": port monitor
# [protocol] (the protocol line only for the maker's monitors).
deleted_by_monitor() {
  printf 'Info: Deleting port %s...\nInfo: Port monitor name: %s\n' "$1" "$2"
  [[ -n "${3:-}" ]] && printf 'Info: Alder port protocol type: %s\n' "$3"
  printf 'Info: Successfully deleted port: %s\n' "$1"
}

removed_by_spooler() {  # port (a Local Monitor port, through DeletePortW)
  printf 'Info: Deleting port %s...\nInfo: Port monitor name: Local Monitor\n' "$1"
  printf 'Info: Successfully removed port: %s\n' "$1"
}

test_simulation_reports_each_object_and_changes_nothing() {
  local before
  before=$(demo_machine_listing)
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  assert_eq "$before" "$(demo_machine_listing)" "machine after -T"
  assert_operation_record 0 OK
  assert_eq "" "$(demo_machine_records)" "records received in -T"

  # One line per queue, per queue's port and per queue's driver; a shared port or driver is
  # named once for each queue, as nothing is deleted.
  local expected="" row queue driver port
  for row in "${MAKER_QUEUES[@]}"; do
    IFS='|' read -r queue driver port <<<"$row"
    expected+="Info: SIMULATION:Successfully deleted local queue $queue"$'\n'
  done
  for row in "${MAKER_QUEUES[@]}"; do
    IFS='|' read -r queue driver port <<<"$row"
    if [[ "$port" == "$KEPT_PORT" ]]; then
      expected+="Warn: Port still used by a queue that is not cleaned: $port"$'\n'
    else
      expected+="Info: SIMULATION:Successfully deleted port: $port"$'\n'
    fi
  done
  for row in "${MAKER_QUEUES[@]}"; do
    IFS='|' read -r queue driver port <<<"$row"
    expected+="Info: SIMULATION:Successfully deleted driver $driver"$'\n'
  done
  assert_eq "${expected%$'\n'}" "$(detail_text | grep -E '^(Info: SIMULATION:|Warn: Port )')" \
    "simulation lines"
  assert_contains $'\nDebug: KVTOOL cleaner execution completed. (0) [Q:0, P:0]\n' \
    "$(detail_text)" "summary line"
}

test_clean_removes_only_the_makers_queues_and_ports() {
  local drivers
  drivers=$(listed drivers)
  run_cleaner -C
  assert_eq "$QUEUES_LEFT" "$(listed queues)" "queues after -C"
  assert_eq "$PORTS_LEFT" "$(listed ports)" "ports after -C"
  assert_eq "$drivers" "$(listed drivers)" "drivers after -C"

  # Each port once (DLM_SHARED too), in the order of the queues; the kept DLM_HUB not at all.
  assert_eq 'DeviceLinkMonitor: DLM_IP:10.0.0.5 version=1 protocol=3 size=5040
DeviceLinkMonitor: DLM_USB001 version=1 protocol=2 size=5040
DeviceLinkMonitor: DLM_SHARED version=1 protocol=2 size=5040
NetPath IO Agent: npa/lab/7 version=1 protocol=3 size=5040
NetPath IO Agent: NPA_0001 version=1 protocol=2 size=5040
Standard TCP/IP Port: IP_10.0.0.9 version=1' "$(demo_machine_records)" "records received"

  local expected
  expected=$(
    deleted_by_monitor DLM_IP:10.0.0.5 DeviceLinkMonitor 3
    deleted_by_monitor npa/lab/7 'NetPath IO Agent' 3
    deleted_by_monitor NPA_0001 'NetPath IO Agent' 2
    removed_by_spooler 'C:\kvout\novax.prn'
    deleted_by_monitor DLM_USB001 DeviceLinkMonitor 2
    printf 'Info: Deleting port DLM_HUB...\n'
    printf 'Warn: Port still used by a queue that is not cleaned: DLM_HUB\n'
    removed_by_spooler OMNI1:
    removed_by_spooler OMNI2:
    deleted_by_monitor DLM_SHARED DeviceLinkMonitor 2
    printf 'Info: Deleting port DLM_SHARED...\nDebug: Port previously deleted: DLM_SHARED\n'
    removed_by_spooler PRAVIK2:
    removed_by_spooler TORIN1:
    deleted_by_monitor IP_10.0.0.9 'Standard TCP/IP Port'
  )
  assert_eq "$expected" "$(log_section 'Info: KVTool cleaner Deleting port started: ' \
    'Info: KVTool cleaner Deleting driver started: ')" "port phase"

  # Wine refuses every driver deletion of the cleaner (87), and a failed driver is tried again
  # for each queue naming it: one failure per maker queue.
  local row queue driver port queues_deleted=""
  expected=""
  for row in "${MAKER_QUEUES[@]}"; do
    IFS='|' read -r queue driver port <<<"$row"
    queues_deleted+="Info: Successfully deleted local queue $queue."$'\n'
    expected+="Error: Error: Failed to delete driver $driver.(87)"$'\n'
  done
  assert_eq "${queues_deleted%$'\n'}" \
    "$(detail_text | grep '^Info: Successfully deleted local queue ')" "queue lines"
  assert_eq "${expected%$'\n'}" "$(removal_errors)" "error lines"
  assert_eq 1 "$RUN_EXIT" "exit code of -C"
  assert_operation_record ${#MAKER_QUEUES[@]} NG
  assert_eq "Debug: KVTOOL cleaner execution completed. (${#MAKER_QUEUES[@]}) [Q:0, P:0]" \
    "$(detail_text | grep '^Debug: KVTOOL cleaner execution completed')" "summary line"
}

# Windows' own ports stay too (COM5:, LPT9: and XPSPort: as well), also when an earlier run's note
# names them (in any case, pooled). A note's name holding a lone surrogate stays that name: the
# port named with U+FFFD in its place is another one, and stays.
test_port_shared_with_another_makers_queue_is_kept() {
  local note port own
  for port in COM5: LPT9: XPSPort: $'NV\uFFFD'; do kvsetup add-port "$port" >/dev/null; done
  note=$(printf 'kvcleaner pending removals 1\r\nNovax Ghost\tlpt1:\r\nNovax Ghost\tCOM1:,FILE:\r\nNovax Ghost\tNV%%uD800\r\nNovax Ghost\tcom5:,LPT9:,xpsport:\r\n' |
    od -An -tx1 | tr -d ' \n')
  wine reg add 'HKLM\SOFTWARE\NOVAX\kvcleaner' /v PendingRemovals /t REG_BINARY /d "$note" /reg:64 /f \
    </dev/null >/dev/null 2>&1
  run_cleaner -C
  own=$(printf '%s\tLocal Monitor\tLocal Port\t1\n' COM1: COM5: FILE: LPT1: LPT9: XPSPort:)
  assert_eq "$own" "$(listed ports | grep -E '^(COM[15]|FILE|LPT[19]|XPSPort):' | LC_ALL=C sort)" "Windows' own ports"
  assert_eq $'Debug: Port of Windows itself, kept for every printer: lpt1:\nDebug: Port of Windows itself, kept for every printer: COM1:\nDebug: Port of Windows itself, kept for every printer: FILE:\nDebug: Port of Windows itself, kept for every printer: com5:\nDebug: Port of Windows itself, kept for every printer: LPT9:\nDebug: Port of Windows itself, kept for every printer: xpsport:' \
    "$(detail_text | grep '^Debug: Port of Windows')" "Windows' own ports kept with a Debug line"
  assert_eq $'NV\uFFFD\tLocal Monitor\tLocal Port\t1' "$(listed ports | grep '^NV')" "the port named NV U+FFFD"
  assert_eq $'Acme Hub\tAcme Laser 5\tDLM_HUB' "$(listed queues | grep DLM_HUB)" \
    "queues on the shared port"
  assert_eq $'DLM_HUB\tDeviceLinkMonitor\tDeviceLink Port\t1' "$(listed ports | grep DLM_HUB)" \
    "the shared port"
  assert_contains $'\nInfo: Deleting port DLM_HUB...\nWarn: Port still used by a queue that is not cleaned: DLM_HUB\nInfo: Deleting port ' \
    "$(detail_text)" "the port is kept with a warning"
  assert_eq "" "$(demo_machine_records | grep DLM_HUB)" "record for the kept port"
}

test_clean_with_one_model_removes_only_that_models_queues() {
  local before
  before=$(demo_machine_listing)
  run_cleaner -C -M "Pravik P5"
  assert_eq "$(drop_lines "$before" $'Pravik P5 Back\tPravik P5\tDLM_SHARED' \
    $'Pravik P5 Front\tPravik P5\tDLM_SHARED' \
    $'DLM_SHARED\tDeviceLinkMonitor\tDeviceLink Port\t1')" "$(demo_machine_listing)" \
    "machine after -C -M"
  assert_eq 'DeviceLinkMonitor: DLM_SHARED version=1 protocol=2 size=5040' \
    "$(demo_machine_records)" "records received"
  assert_eq $'Error: Error: Failed to delete driver Pravik P5.(87)
Error: Error: Failed to delete driver Pravik P5.(87)' "$(removal_errors)" \
    "error lines"
  assert_eq 1 "$RUN_EXIT" "exit code of -C -M"
  assert_operation_record 2 NG
}

# Wine refuses every driver deletion (87): the note keeps each driver, and every later run tries
# it again and ends NG while it stays. Nothing else is touched: the ports went with the first run,
# but the one another maker's queue uses.
test_second_clean_tries_the_refused_drivers_again() {
  run_cleaner -C
  assert_eq 1 "$RUN_EXIT" "exit code of the first -C"
  rm -f "$LOG_DIR"/*
  local after_first records
  after_first=$(demo_machine_listing)
  records=$(demo_machine_records)
  run_cleaner -C
  assert_eq 1 "$RUN_EXIT" "exit code of the second -C"
  assert_eq "$after_first" "$(demo_machine_listing)" "machine after the second -C"
  assert_eq "$records" "$(demo_machine_records)" "records after the second -C"
  # 13 maker queues, two of which share their driver and port.
  assert_operation_record 12 NG
  local detail
  detail=$(detail_text)
  assert_eq $'Info: Deleting port DLM_HUB...\nWarn: Port still used by a queue that is not cleaned: DLM_HUB' \
    "$(grep -E '^(Info|Warn): (Deleting port|Port still used)' <<<"$detail")" "port lines"
  assert_eq "" "$(grep -E '^Info: Deleting (local queue|remote)' <<<"$detail")" "queue lines"
  assert_eq 12 "$(grep -c '^Error: Error: Failed to delete driver .*\.(87)$' <<<"$detail")" \
    "drivers tried again"
  assert_match $'\nInfo: KVTool cleaner Deleting driver started: '"$TIME"$'\nInfo: Deleting driver ' \
    "$detail" "driver header"
  assert_contains $'\nDebug: KVTOOL cleaner execution completed. (12) [Q:0, P:0]\n' \
    "$detail" "summary line"
}

# The 32-bit program (win32 only) lists the machine's own drivers, not the demo machine's 16 of
# the 32-bit set-up tool: one driver of the 64-bit tool; a maker's package starts the listing.
test_32_bit_program_lists_the_64_bit_drivers() {
  KV_BUILD=$KV_WIN64_BUILD kvsetup add-driver 'Novax QZ-900' >/dev/null
  mkdir -p "$DRIVE_C/kvpkg"
  wixl -a x86 -D 'ProductCode={99999999-7E4F-4A51-9C2D-0E1F2A3B4C09}' \
    -D 'ProductName=QZ [Novax QZ-900]' -D Manufacturer=NOVAX -o "$DRIVE_C/kvpkg/qz.msi" \
    "$(demo_package_source)"
  wine msiexec /i 'C:\kvpkg\qz.msi' /qn </dev/null
  run_cleaner -T
  assert_contains $'\nInfo: Entry driver list : num = 1\n' "$(detail_text)" "driver listing"
}

e2e_main "$@"
