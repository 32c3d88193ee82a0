# The demo machine: the maker's print queues beside other makers' queues, on every kind of port
# the cleaner handles, made with kvsetup.exe and the test port monitor kvtestmon.dll of the build.
# Sourced by the cleaning tests and by scripts/demo. Needs KV_BUILD (the win64 build directory).
#
# Run as a script, it prepares a machine once for a whole test run, from the booted prefix named
# by KV_WINE_TEMPLATE:  bash demo_machine.sh <machine prefix>

# Where the monitors append the "DeletePort" records they receive (C:\kvrec in the prefix).
readonly DEMO_RECORD_DIR='C:\kvrec'

# The test monitor under the names the cleaner knows: monitor|reported monitor|port description.
# The TCP/IP stand-in reports TCPMON.DLL, as the system's own monitor may, so the cleaner has to
# map it to "Standard TCP/IP Port" to reach it.
readonly DEMO_MONITORS=(
  'DeviceLinkMonitor|DeviceLinkMonitor|DeviceLink Port'
  'NetPath IO Agent|NetPath IO Agent|NetPath Port'
  'Standard TCP/IP Port|TCPMON.DLL|Generic Network Card'
)

# queue|driver|port|monitor of the port ("Local Port" is the system's local monitor). A port
# named in several rows is shared. Maker drivers carry a brand word in mixed case; "Omni Print
# Universal" has neither full Omni phrase and is another maker's.
readonly DEMO_QUEUES=(
  'Novax QZ-100|Novax QZ-100|DLM_USB001|DeviceLinkMonitor'
  'HaldenJet Pro 9|haldenJet Pro 9|DLM_IP:10.0.0.5|DeviceLinkMonitor'
  'Pravik P5 Front|Pravik P5|DLM_SHARED|DeviceLinkMonitor'
  'Pravik P5 Back|Pravik P5|DLM_SHARED|DeviceLinkMonitor'
  'Novax QZ-200 Hub|NOVAX qz-200|DLM_HUB|DeviceLinkMonitor'
  'Acme Hub|Acme Laser 5|DLM_HUB|DeviceLinkMonitor'
  'Marlowe M2|marlowe M2 PS|NPA_0001|NetPath IO Agent'
  'Kestavo K7|Kestavo k7 PCL|npa/lab/7|NetPath IO Agent'
  'Fabrikam Jet|Fabrikam Jet 7|NPA_OTHER|NetPath IO Agent'
  'Zul Z1|Zul Z1 Color|IP_10.0.0.9|Standard TCP/IP Port'
  'Contoso Ink|Contoso Ink 3|IP_10.0.0.20|Standard TCP/IP Port'
  'NFG Archive|nfg Archive Writer|C:\kvout\novax.prn|Local Port'
  'Omni Front Desk|PCL6 Driver for Omni Print|OMNI1:|Local Port'
  'Omni Studio|PS Driver for Omni Print|OMNI2:|Local Port'
  'Torin T3|tOrIn T3 Mono|TORIN1:|Local Port'
  'Pravik P5 Plus|Pravik P5 Plus|PRAVIK2:|Local Port'
  'Acme Laser|Acme Laser 5|ACME1:|Local Port'
  'Omni Print Universal|Omni Print Universal|OMNIU:|Local Port'
)

# What is left after -C: the other makers' queues and ports; every driver, since Wine refuses
# each deletion of one.
readonly QUEUES_LEFT=$'Acme Hub\tAcme Laser 5\tDLM_HUB
Acme Laser\tAcme Laser 5\tACME1:
Contoso Ink\tContoso Ink 3\tIP_10.0.0.20
Fabrikam Jet\tFabrikam Jet 7\tNPA_OTHER
Omni Print Universal\tOmni Print Universal\tOMNIU:'
readonly PORTS_LEFT=$'ACME1:\tLocal Monitor\tLocal Port\t1
COM1:\tLocal Monitor\tLocal Port\t1
COM2:\tLocal Monitor\tLocal Port\t1
COM3:\tLocal Monitor\tLocal Port\t1
COM4:\tLocal Monitor\tLocal Port\t1
FILE:\tLocal Monitor\tLocal Port\t1
LPT1:\tLocal Monitor\tLocal Port\t1
LPT2:\tLocal Monitor\tLocal Port\t1
LPT3:\tLocal Monitor\tLocal Port\t1
OMNIU:\tLocal Monitor\tLocal Port\t1
DLM_HUB\tDeviceLinkMonitor\tDeviceLink Port\t1
NPA_OTHER\tNetPath IO Agent\tNetPath Port\t1
IP_10.0.0.20\tTCPMON.DLL\tGeneric Network Card\t1'

# Runs kvsetup.exe of the build; output as it writes it (UTF-8, LF).
kvsetup() {
  wine "$KV_BUILD/tools/machine_setup/kvsetup.exe" "$@" </dev/null
}

# The file name of a monitor's records: blanks and slashes of the monitor name become "_".
demo_record_name() {
  local name=${1// /_}
  echo "${name//\//_}.rec"
}

# The record file of a monitor, as a Unix path in the current prefix.
demo_record_file() {
  echo "$WINEPREFIX/drive_c/kvrec/$(demo_record_name "$1")"
}

# Fills the current WINEPREFIX (booted, its server running) with the demo machine.
demo_machine_build() {
  local dll row name reported description queue driver port monitor
  dll=$(winepath -w "$KV_BUILD/tools/test_port_monitor/kvtestmon.dll") || return 1
  mkdir -p "$WINEPREFIX/drive_c/kvrec" "$WINEPREFIX/drive_c/kvout"
  for row in "${DEMO_MONITORS[@]}"; do
    IFS='|' read -r name reported description <<<"$row"
    kvsetup add-monitor "$name" --dll "$dll" || return 1
    kvsetup set-monitor "$name" --reported-monitor "$reported" --description "$description" \
      --record "$DEMO_RECORD_DIR\\$(demo_record_name "$name")" || return 1
  done
  local -A made=()
  for row in "${DEMO_QUEUES[@]}"; do
    IFS='|' read -r queue driver port monitor <<<"$row"
    if [[ -z "${made[port:$port]:-}" ]]; then
      kvsetup add-port "$port" --monitor "$monitor" || return 1
      made[port:$port]=1
    fi
    if [[ -z "${made[driver:$driver]:-}" ]]; then
      kvsetup add-driver "$driver" || return 1
      made[driver:$driver]=1
    fi
    kvsetup add-queue "$queue" --driver "$driver" --port "$port" || return 1
  done
}

# INF packages, each published under its own name (Wine 8 keeps it; an INF equal to a published
# one is not copied again): oem41.inf the maker's (provider and manufacturer from [Strings], its
# model in a decorated section), oem42.inf another maker's with ZUL inside a model's word, and
# oem43.inf of the maker's provider in the network class (its ClassGUID decides over "Class").
readonly DEMO_INFS=(
  $'Class=Printer\nClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\nProvider=%Maker%
[Manufacturer]\n%Maker%=Novax,NTamd64\n[Novax.NTamd64]\n"Novax QZ-100"=QZ100,NOVAX_QZ100
[Strings]\nMaker="NOVAX"'
  $'Class=Printer\nClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\nProvider=Contoso
[Manufacturer]\nContoso=Contoso,NTamd64\n[Contoso.NTamd64]\n"Contoso Zulu 5"=ZULU5,CONTOSO_ZULU5'
  $'Class=Printer\nClassGUID={4D36E972-E325-11CE-BFC1-08002BE10318}\nProvider=NOVAX
[Manufacturer]\nNOVAX=Nics\n[Nics]\n"Novax NIC"=NIC,NOVAX_NIC')

demo_driver_packages_build() {
  local i inf
  mkdir -p "$WINEPREFIX/drive_c/kvinf"
  for i in 0 1 2; do
    inf=oem$((41 + i)).inf
    printf '[Version]\nSignature="$Windows NT$"\n%s\n' "${DEMO_INFS[i]}" | sed 's/$/\r/' \
      >"$WINEPREFIX/drive_c/kvinf/$inf"
    kvsetup add-driver-package "C:\\kvinf\\$inf" >/dev/null || return 1
  done
}

# Prints the machine as the spooler lists it: queues, ports, drivers (kvsetup's fields).
demo_machine_listing() {
  local what
  for what in queues ports drivers; do
    echo "== $what"
    kvsetup list "$what" || return 1
  done
}

# The machine as kvsetup lists it, one section per kind (the listing above).
listed() {
  demo_machine_listing | awk -v what="== $1" '/^== / { inside = ($0 == what); next } inside'
}

demo_u32_at() {  # file offset
  od -An -t u4 --endian=little -j "$2" -N 4 "$1" | tr -d ' '
}

# The "DeletePort" records a monitor received, one line each: the port name (UTF-16 at offset 0)
# and the fields the cleaner sets, version and protocol and record size of the 5040-byte record,
# version of the 236-byte one. Nothing when the monitor received none.
demo_monitor_records() {  # monitor record-size
  local file size=$2 bytes base name
  file=$(demo_record_file "$1")
  [[ -f "$file" ]] || return 0
  bytes=$(stat -c %s "$file")
  if ((bytes % size != 0)); then
    echo "$bytes bytes, not records of $size"
    return
  fi
  for ((base = 0; base < bytes; base += size)); do
    name=$(dd if="$file" bs=1 skip="$base" count=128 status=none | iconv -f UTF-16LE -t UTF-8 |
      tr '\0' '\n' | head -n 1)
    if ((size == 5040)); then
      echo "$name version=$(demo_u32_at "$file" $((base + 128))) protocol=$(demo_u32_at "$file" \
        $((base + 132))) size=$(demo_u32_at "$file" $((base + 136)))"
    else
      echo "$name version=$(demo_u32_at "$file" $((base + 228)))"
    fi
  done
}

# Every record the three monitors received, each line led by the monitor's name. The maker's
# monitors get the 5040-byte record, the TCP/IP monitor the system's 236-byte one.
demo_machine_records() {
  demo_monitor_records DeviceLinkMonitor 5040 | sed 's/^/DeviceLinkMonitor: /'
  demo_monitor_records 'NetPath IO Agent' 5040 | sed 's/^/NetPath IO Agent: /'
  demo_monitor_records 'Standard TCP/IP Port' 236 | sed 's|^|Standard TCP/IP Port: |'
}

# Copies a booted prefix to a new one, builds the machine there (or runs the named step) and
# stops its server, so that the registry is on disk and the prefix can be copied for each test.
demo_machine_prepare() {  # template machine [step]
  local template=$1 machine=$2 step=${3:-demo_machine_build}
  export WINEPREFIX=$machine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$machine"
  mkdir -p "$(dirname "$machine")"
  cp -a "$template" "$machine" || return 1
  (wineserver -p >/dev/null 2>&1 </dev/null &)
  wine cmd /c exit >/dev/null 2>&1 </dev/null
  local status=0
  "$step" >/dev/null || status=1
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  return $status
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -uo pipefail
  demo_machine_prepare "${KV_WINE_TEMPLATE:?}" "${1:?usage: demo_machine.sh <machine prefix>}"
fi
