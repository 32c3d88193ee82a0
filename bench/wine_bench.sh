#!/usr/bin/env bash
# The Wine half of scripts/bench: kvcleaner.exe -C beside kvbare.exe (the same spooler calls,
# nothing else) on a machine of the maker's queues made with kvsetup. Each run gets a fresh copy
# of the prepared machine; the two programs take turns, and the medians are compared.
#
#   bash bench/wine_bench.sh <work directory> <maker queues> <runs each>
#
# Needs KV_BUILD (the win64 build directory, with kvcleaner, kvbare, kvsetup and the test port
# monitor built) and KV_WINE_TEMPLATE (a booted prefix). Prints a Markdown table and the ratio;
# exits 1 when a run did not leave the machine as a clean run must.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# kvsetup and demo_machine_prepare, which builds whatever demo_machine_build builds.
# shellcheck source=../tests/e2e/demo_machine.sh
source "$here/../tests/e2e/demo_machine.sh"

readonly BENCH_OTHER_QUEUES=10

# Redefined for demo_machine_prepare: half the maker's queues on ports of the test monitor as
# "DeviceLinkMonitor", half on local ports, ten shared drivers; a few queues of another maker.
demo_machine_build() {
  local dll i port
  dll=$(winepath -w "$KV_BUILD/tools/test_port_monitor/kvtestmon.dll") || return 1
  kvsetup add-monitor DeviceLinkMonitor --dll "$dll" || return 1
  for ((i = 0; i < 10; ++i)); do
    kvsetup add-driver "NOVAX Model $i" || return 1
  done
  kvsetup add-driver "Acme Laser 5" || return 1
  for ((i = 0; i < BENCH_OTHER_QUEUES; ++i)); do
    port=$(printf 'ACME_%03d:' "$i")
    kvsetup add-port "$port" || return 1
    kvsetup add-queue "$(printf 'Acme Q%03d' "$i")" --driver "Acme Laser 5" --port "$port" ||
      return 1
  done
  for ((i = 0; i < BENCH_MAKER_QUEUES; ++i)); do
    if ((i % 2 == 0)); then
      port=$(printf 'DLM_%03d' "$i")
      kvsetup add-port "$port" --monitor DeviceLinkMonitor || return 1
    else
      port=$(printf 'LPT_%03d:' "$i")
      kvsetup add-port "$port" || return 1
    fi
    kvsetup add-queue "$(printf 'NOVAX Q%03d' "$i")" --driver "NOVAX Model $((i % 10))" \
      --port "$port" || return 1
  done
}

# CPU time in milliseconds that the current prefix's wine server has used so far (the spooler's
# registry work happens there); 0 when none runs.
server_cpu_ms() {
  local pid
  for pid in $(pgrep '^wineserver'); do
    if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      awk -v tick="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / tick) }' "/proc/$pid/stat"
      return
    fi
  done
  echo 0
}

# Waits until the prefix's wine server has been idle for a moment (the services that the first
# program started are up), at most five seconds.
settle() {
  local before after
  before=$(server_cpu_ms)
  for _ in {1..25}; do
    sleep 0.2
    after=$(server_cpu_ms)
    [[ "$after" == "$before" ]] && return
    before=$after
  done
}

# A fresh copy of the machine with the programs in C:\kvtool, written out, its wine server and
# services started and idle; sets WINEPREFIX and BENCH_DIR (the Unix path of C:\kvtool).
prefix_up() {  # machine
  export WINEPREFIX=$BENCH_WORK/run WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  rm -rf "$WINEPREFIX"
  cp -a "$1" "$WINEPREFIX" || return 1
  BENCH_DIR=$WINEPREFIX/drive_c/kvtool
  mkdir -p "$BENCH_DIR"
  cp "$KV_BUILD/src/main/kvcleaner.exe" "$KV_BUILD/bench/kvbare.exe" \
    "$KV_BUILD/bench/kvlogbench.exe" "$BENCH_DIR/"
  cp "$KV_BUILD/src/main/KV_TOOLS_LNG.IRC" "$BENCH_DIR/" 2>/dev/null || true
  sync
  (wineserver -p >/dev/null 2>&1 </dev/null &)
  wine cmd /c exit >/dev/null 2>&1 </dev/null
  settle
}

prefix_down() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
}

# Runs a program of C:\kvtool from there, as a deployment would run the cleaner; prints the wall
# milliseconds and returns its exit code.
timed() {  # program arguments...
  local program=$1 start status
  shift
  start=$(date +%s%N)
  (cd "$BENCH_DIR" && wine "C:\\kvtool\\$program" "$@" >/dev/null 2>&1 </dev/null)
  status=$?
  echo $((($(date +%s%N) - start) / 1000000))
  return $status
}

# One timed run in a fresh copy of the machine: prints "<wall ms> <wine server CPU ms> <exit code>
# <queues left> <maker ports left>".
bench_run() {  # machine program arguments...
  local machine=$1
  shift
  prefix_up "$machine" || return 1
  local ms status server_before server_after left ports
  server_before=$(server_cpu_ms)
  ms=$(timed "$@")
  status=$?
  server_after=$(server_cpu_ms)
  left=$(kvsetup list queues | wc -l)
  ports=$(kvsetup list ports | grep -c -E '^(DLM|LPT)_')
  prefix_down
  echo "$ms $((server_after - server_before)) $status $left $ports"
}

# What the cleaner does beyond the bare calls, each part alone in one prefix: starting and ending
# the program (no arguments: both end at once) and its detail log's flushed pieces.
bench_parts() {  # machine
  prefix_up "$1" || return 1
  local -A start=()
  local i program log_ms piece_us
  for ((i = 0; i < 7; ++i)); do
    for program in kvbare.exe kvcleaner.exe; do
      start[$program]+="$(timed "$program") "
    done
  done
  read -r log_ms piece_us < <(cd "$BENCH_DIR" &&
    wine 'C:\kvtool\kvlogbench.exe' 'C:\kvtool\logbench.log' 2400 5 2>/dev/null </dev/null |
    tr -d '\r')
  prefix_down
  # shellcheck disable=SC2086  # one number per word
  echo "$(median ${start[kvbare.exe]}) $(median ${start[kvcleaner.exe]}) $log_ms $piece_us"
}

median() {  # numbers...
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
    print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

bench_main() {
  BENCH_WORK=$1
  BENCH_MAKER_QUEUES=$2
  local runs=$3 machine=$1/machine failed=0
  # A machine made earlier for as many queues by the same kvsetup and monitor is used again.
  local stamp=$machine/kvbench-maker-queues
  if [[ "$(cat "$stamp" 2>/dev/null)" == "$BENCH_MAKER_QUEUES" &&
    -z "$(find "$KV_BUILD/tools" \( -name kvsetup.exe -o -name kvtestmon.dll \) -newer "$stamp")" ]]; then
    echo "using the machine made earlier in $machine" >&2
  else
    echo "making the machine ($BENCH_MAKER_QUEUES maker queues) in $machine" >&2
    local setup_start=$SECONDS
    demo_machine_prepare "${KV_WINE_TEMPLATE:?}" "$machine" || {
      echo "the machine could not be made" >&2
      return 1
    }
    echo "$BENCH_MAKER_QUEUES" >"$stamp"
    echo "machine made in $((SECONDS - setup_start)) s" >&2
  fi

  # name|program and arguments; the cleaner runs as a deployment would, without -D or -V. The
  # last two show where the difference goes: the cleaner without its detail log lines (-L OFF),
  # the bare calls without the second look at the queues before the ports are deleted.
  local -a variants=('bare|kvbare.exe NOVAX' 'cleaner|kvcleaner.exe -C'
    'cleaner_unlogged|kvcleaner.exe -C -L OFF' 'bare_one_listing|kvbare.exe NOVAX --no-second-listing')
  local -A wall=() cpu=()
  local i variant name command result ms cpu_ms status left ports
  for ((i = 1; i <= runs; ++i)); do
    for variant in "${variants[@]}"; do
      IFS='|' read -r name command <<<"$variant"
      # shellcheck disable=SC2086  # the command's words are its arguments
      result=$(bench_run "$machine" $command)
      read -r ms cpu_ms status left ports <<<"$result"
      echo "run $i: $name ${ms} ms, wine server CPU ${cpu_ms} ms, exit code $status, $left queues and" \
        "$ports maker ports left" >&2
      if [[ "$status" != 1 || "$left" != "$BENCH_OTHER_QUEUES" || "$ports" != 0 ]]; then
        echo "$name did not clean as expected: exit code 1 (no driver can be deleted under" \
          "Wine), the other maker's $BENCH_OTHER_QUEUES queues and none of the maker's ports left" >&2
        failed=1
      fi
      wall[$name]+="$ms "
      cpu[$name]+="$cpu_ms "
    done
  done
  local bare_start cleaner_start log_ms piece_us
  read -r bare_start cleaner_start log_ms piece_us < <(bench_parts "$machine")
  rm -rf "$BENCH_WORK/run"

  local -A wall_median=() cpu_median=()
  echo "| program | wall ms, run by run | median | wine server CPU ms | median |"
  echo "|---|---|---:|---|---:|"
  for variant in "${variants[@]}"; do
    IFS='|' read -r name command <<<"$variant"
    # shellcheck disable=SC2086  # one number per word
    wall_median[$name]=$(median ${wall[$name]})
    # shellcheck disable=SC2086
    cpu_median[$name]=$(median ${cpu[$name]})
    echo "| \`$command\` | ${wall[$name]% } | ${wall_median[$name]} | ${cpu[$name]% } |" \
      "${cpu_median[$name]} |"
  done
  echo
  ratio() {  # numerator denominator
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'
  }
  local verdict="above the aim"
  awk -v c="${wall_median[cleaner]}" -v b="${wall_median[bare]}" 'BEGIN { exit !(c / b <= 1.05) }' &&
    verdict=met
  echo "- cleaner / bare, medians of $runs runs each:" \
    "$(ratio "${wall_median[cleaner]}" "${wall_median[bare]}") (wall)," \
    "$(ratio "${cpu_median[cleaner]}" "${cpu_median[bare]}") (wine server CPU); aim at most 1.05: $verdict"
  echo "- the cleaner without its detail log lines (-L OFF) / bare:" \
    "$(ratio "${wall_median[cleaner_unlogged]}" "${wall_median[bare]}") (wall)," \
    "$(ratio "${cpu_median[cleaner_unlogged]}" "${cpu_median[bare]}") (wine server CPU)"
  echo "- bare without the second look at the queues / bare:" \
    "$(ratio "${wall_median[bare_one_listing]}" "${wall_median[bare]}") (wall)," \
    "$(ratio "${cpu_median[bare_one_listing]}" "${cpu_median[bare]}") (wine server CPU)"
  echo "- the cleaner's own parts, measured alone: start and end without arguments" \
    "${cleaner_start} ms against ${bare_start} ms for the bare program (medians of 7); its" \
    "detail log's pieces, 2,400 lines of five pieces each flushed at once: ${log_ms} ms" \
    "(${piece_us} µs per piece, median of 5). Added to the bare median they make" \
    "$(awk -v b="${wall_median[bare]}" -v s=$((cleaner_start - bare_start)) -v l="$log_ms" \
      'BEGIN { printf "%.3f", (b + s + l) / b }') of it."
  return $failed
}

bench_main "$@"
