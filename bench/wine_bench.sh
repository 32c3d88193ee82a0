#!/usr/bin/env bash
# The Wine half of scripts/bench: pairs of programs on a machine of the maker's queues made with
# kvsetup, each program beside a bare one that makes the same system calls and nothing else
# (kvcleaner.exe -C beside kvbare.exe, kvcheck.exe -J beside kvbarecheck.exe). Each run gets a
# fresh copy of the prepared machine. A round runs every program once, in an order rotated from
# round to round, so that both of a pair meet the same load; the ratio of a pair is taken round
# by round and summarized by its median.
#
#   bash bench/wine_bench.sh <work directory> <maker queues> <rounds>
#
# Needs KV_BUILD (the win64 build directory, with kvcleaner, kvbare, kvcheck, kvbarecheck,
# kvsetup and the test port monitor built), KV_WINE_TEMPLATE (a booted prefix) and KV_TREE_TIME
# (the native bench build's kvtreetime). Prints Markdown tables and the ratios; exits 1 when a
# run did not leave the machine as its check expects.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# kvsetup and demo_machine_prepare, which builds whatever demo_machine_build builds.
# shellcheck source=../tests/e2e/demo_machine.sh
source "$here/../tests/e2e/demo_machine.sh"

readonly BENCH_OTHER_QUEUES=10 BENCH_MAKER_DRIVERS=10

# Redefined for demo_machine_prepare: half the maker's queues on ports of the test monitor as
# "DeviceLinkMonitor", half on local ports, ten shared drivers; a few queues of another maker.
demo_machine_build() {
  local dll i port
  dll=$(winepath -w "$KV_BUILD/tools/test_port_monitor/kvtestmon.dll") || return 1
  kvsetup add-monitor DeviceLinkMonitor --dll "$dll" || return 1
  for ((i = 0; i < BENCH_MAKER_DRIVERS; ++i)); do
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
    kvsetup add-queue "$(printf 'NOVAX Q%03d' "$i")" \
      --driver "NOVAX Model $((i % BENCH_MAKER_DRIVERS))" --port "$port" || return 1
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

# A copy of a prefix in which the system folders' files (1.1 of its 1.3 GB), which no program run
# here writes, are hard links to the original's; their spool folders, which the spooler changes,
# are copied, as is everything else.
copy_machine() {  # from to
  local from=$1 to=$2 entry folder
  mkdir -p "$to/drive_c/windows" || return 1
  for entry in "$from"/* "$from"/.[!.]*; do
    [[ -e "$entry" || -L "$entry" ]] || continue
    [[ "${entry##*/}" == drive_c ]] || cp -a "$entry" "$to/" || return 1
  done
  for entry in "$from"/drive_c/*; do
    [[ "${entry##*/}" == windows ]] || cp -a "$entry" "$to/drive_c/" || return 1
  done
  for entry in "$from"/drive_c/windows/*; do
    folder=${entry##*/}
    if [[ "$folder" == system32 || "$folder" == syswow64 ]]; then
      cp -al "$entry" "$to/drive_c/windows/" || return 1
      if [[ -d "$entry/spool" ]]; then
        rm -rf "$to/drive_c/windows/$folder/spool"
        cp -a "$entry/spool" "$to/drive_c/windows/$folder/" || return 1
      fi
    else
      cp -a "$entry" "$to/drive_c/windows/" || return 1
    fi
  done
}

# A fresh copy of the machine with the programs in C:\kvtool, written out, its wine server and
# services started and idle; sets WINEPREFIX and BENCH_DIR (the Unix path of C:\kvtool).
prefix_up() {  # machine
  export WINEPREFIX=$BENCH_WORK/run WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  rm -rf "$WINEPREFIX"
  copy_machine "$1" "$WINEPREFIX" || return 1
  BENCH_DIR=$WINEPREFIX/drive_c/kvtool
  mkdir -p "$BENCH_DIR"
  cp "${BENCH_FILES[@]}" "$BENCH_DIR/" || return 1
  cp "$KV_BUILD/src/cleaner/KV_TOOLS_LNG.IRC" "$BENCH_DIR/" 2>/dev/null || true
  sync
  (wineserver -p >/dev/null 2>&1 </dev/null &)
  wine cmd /c exit >/dev/null 2>&1 </dev/null
  settle
}

prefix_down() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
}

# Runs a program of C:\kvtool from there, as a deployment would run the cleaner; prints "<wall ms>
# <CPU ms>", the wall time of the wine command and the CPU time of all the processes it started
# (kvtreetime; the program's own process is start.exe's orphan under Wine), and returns its exit
# code.
timed() {  # program arguments...
  local program=$1 times status
  shift
  times=$(cd "$BENCH_DIR" && "$KV_TREE_TIME" wine "C:\\kvtool\\$program" "$@")
  status=$?
  echo "$times"
  return $status
}

# The checks of a run, called with the prefix still up and the program's exit code; each prints
# what is wrong and returns 1, or returns 0. A clean run leaves the other maker's queues and none
# of the maker's ports; it ends with exit code 1, since Wine refuses every driver deletion with
# 87. The cleaner's note of pending removals keeps those drivers for the next run; the bare
# program deletes its note (the key that held it stays).
check_cleaned() {  # exit code program
  local left ports note
  left=$(kvsetup list queues | wc -l)
  ports=$(kvsetup list ports | grep -c -E '^(DLM|LPT)_')
  # The 64-bit view, where the cleaner keeps it; reg.exe prints an existing key's values, and
  # nothing when it has none.
  note=$(wine reg query 'HKLM\SOFTWARE\NOVAX\kvcleaner' /reg:64 2>/dev/null </dev/null) ||
    note="no key"
  if [[ "$1" != 1 || "$left" != "$BENCH_OTHER_QUEUES" || "$ports" != 0 ]]; then
    echo "exit code $1, $left queues and $ports maker ports left (expected 1, $BENCH_OTHER_QUEUES" \
      "and 0)"
    return 1
  fi
  if [[ "$2" == kvbare.exe && ("$note" == "no key" || "$note" == *PendingRemovals*) ]]; then
    echo "the bare program's note was not written and deleted: $(tr -d '\r' <<<"$note")"
    return 1
  fi
  if [[ "$2" != kvbare.exe && "$note" != *PendingRemovals* ]]; then
    echo "the note of pending removals does not keep the refused drivers: $(tr -d '\r' <<<"$note")"
    return 1
  fi
}

# A check run leaves the machine as it was: the maker's queues, ports and drivers and the other
# maker's queues all there, and no note of pending removals (the machine has none). Both
# programs end with the check's "found" code, 114.
check_unchanged() {  # exit code
  local queues ports drivers note
  queues=$(kvsetup list queues | wc -l)
  ports=$(kvsetup list ports | grep -c -E '^(DLM|LPT)_')
  drivers=$(kvsetup list drivers | grep -c '^NOVAX Model')
  note=$(wine reg query 'HKLM\SOFTWARE\NOVAX\kvcleaner' /reg:64 2>/dev/null </dev/null) ||
    note="no key"
  local expected=$((BENCH_MAKER_QUEUES + BENCH_OTHER_QUEUES))
  if [[ "$1" != 114 || "$queues" != "$expected" || "$ports" != "$BENCH_MAKER_QUEUES" ||
    "$drivers" != "$BENCH_MAKER_DRIVERS" ]]; then
    echo "exit code $1, $queues queues, $ports maker ports and $drivers maker drivers (expected" \
      "114, $expected, $BENCH_MAKER_QUEUES and $BENCH_MAKER_DRIVERS)"
    return 1
  fi
  if [[ "$note" != "no key" ]]; then
    echo "the key of the note of pending removals was made: $(tr -d '\r' <<<"$note")"
    return 1
  fi
}

# The pairs measured: a name, the check of its runs, the bare program's command, the program's
# and the aim (the program at most that many times the bare one). Each pair's programs run once
# a round; adding a pair is one more call.
declare -a PAIRS=()
bench_pair() {  # name check bare-command program-command aim
  PAIRS+=("$1|$2|$3|$4|$5")
}
bench_pair cleaner check_cleaned 'kvbare.exe NOVAX' 'kvcleaner.exe -C' 1.05
bench_pair checker check_unchanged 'kvbarecheck.exe NOVAX' 'kvcheck.exe -J' 1.10

# One timed run in a fresh copy of the machine, checked: prints "<wall ms> <process CPU ms>
# <wine server CPU ms>"; returns 1 when its check failed.
bench_run() {  # machine check program arguments...
  local machine=$1 check=$2
  shift 2
  prefix_up "$machine" || return 1
  local times status server_before server_after problem
  server_before=$(server_cpu_ms)
  times=$(timed "$@")
  status=$?
  server_after=$(server_cpu_ms)
  problem=$("$check" "$status" "$1") || status=fail
  prefix_down
  echo "$times $((server_after - server_before))"
  if [[ "$status" == fail ]]; then
    echo "$*: $problem" >&2
    return 1
  fi
}

# What the cleaner does beyond the bare calls, each part alone in one prefix: starting and ending
# the program (no arguments: both end at once) and its detail log's flushed pieces.
bench_parts() {  # machine
  prefix_up "$1" || return 1
  local -A start=()
  local i program ms log_ms piece_us
  for ((i = 0; i < 7; ++i)); do
    for program in kvbare.exe kvcleaner.exe; do
      read -r ms _ < <(timed "$program")
      start[$program]+="$ms "
    done
  done
  read -r log_ms piece_us < <(cd "$BENCH_DIR" &&
    wine 'C:\kvtool\kvlogbench.exe' 'C:\kvtool\logbench.log' 2400 5 2>/dev/null </dev/null |
    tr -d '\r')
  prefix_down
  # shellcheck disable=SC2086  # one number per word
  echo "$(quantile 0.5 ${start[kvbare.exe]}) $(quantile 0.5 ${start[kvcleaner.exe]}) $log_ms $piece_us"
}

# The q-quantile of the numbers, linear between the two nearest (0.5: the median).
quantile() {  # q numbers...
  local q=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v q="$q" '{ v[NR] = $1 } END {
    h = (NR - 1) * q + 1; i = int(h); f = h - i
    printf "%.4g\n", (i < NR ? v[i] + f * (v[i + 1] - v[i]) : v[NR]) }'
}

# "median (quartiles q1–q3, min–max)" of the numbers, with `digits` decimals.
spread() {  # digits numbers...
  local digits=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v d="$digits" '{ v[NR] = $1 } function q(p,  h, i) {
    h = (NR - 1) * p + 1; i = int(h); return i < NR ? v[i] + (h - i) * (v[i + 1] - v[i]) : v[NR] }
    END { f = "%." d "f"; printf f " (quartiles " f "–" f ", min–max " f "–" f ")\n",
      q(0.5), q(0.25), q(0.75), v[1], v[NR] }'
}

# An interval that holds the median of the ratios' distribution with a known probability, from
# their order statistics alone (no assumption on their shape): the k-th smallest and k-th
# largest, k the largest with a coverage of at least 95 %. Prints "<low> <high> <coverage %>";
# with fewer than six numbers no such k exists and min–max is given with its coverage.
median_interval() {  # numbers...
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    n = NR; tail = 0; k = 0; p = 0.5 ^ n
    # [v[k], v[n + 1 - k]] misses the median with probability 2 P(B <= k - 1), B ~ Binomial(n,
    # 1/2); k grows while that stays at most 5 %.
    for (j = 0; j < n; ++j) {
      if (2 * (tail + p) > 0.05) break
      tail += p; k = j + 1; p = p * (n - j) / (j + 1)
    }
    if (k == 0) { tail = 0.5 ^ n; k = 1 }  # min-max
    printf "%.3f %.3f %.1f\n", v[k], v[n + 1 - k], 100 * (1 - 2 * tail) }'
}

# The ratio of two programs' lower quartiles, the level their runs reach when the machine lets
# them, with a 95 % bootstrap interval (2,000 resamplings of each program's runs). Prints
# "<ratio> <low> <high>".
lower_quartile_ratio() {  # "program numbers" "bare numbers"
  awk -v a="$1" -v b="$2" 'function q1(v, n,  i, j, t, h) {
      for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) {
        t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
      h = (n - 1) * 0.25 + 1; i = int(h)
      return i < n ? v[i] + (h - i) * (v[i + 1] - v[i]) : v[n] }
    BEGIN {
      srand(1); n = split(a, x); m = split(b, y)
      for (i = 1; i <= n; ++i) u[i] = x[i]
      for (i = 1; i <= m; ++i) w[i] = y[i]
      ratio = q1(u, n) / q1(w, m)
      for (r = 1; r <= 2000; ++r) {
        for (i = 1; i <= n; ++i) u[i] = x[int(rand() * n) + 1]
        for (i = 1; i <= m; ++i) w[i] = y[int(rand() * m) + 1]
        boot[r] = q1(u, n) / q1(w, m)
      }
      q1(boot, 2000)  # sorts them
      printf "%.3f %.3f %.3f\n", ratio, boot[50], boot[1951] }'
}

bench_main() {
  BENCH_WORK=$1
  BENCH_MAKER_QUEUES=$2
  [[ -x "${KV_TREE_TIME:?}" ]] || return 1
  local rounds=$3 machine=$1/machine failed=0
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

  # The programs of the pairs, found in the build by their names, and the log benchmark.
  BENCH_FILES=("$KV_BUILD/bench/kvlogbench.exe")
  local pair name check bare program aim file
  for pair in "${PAIRS[@]}"; do
    IFS='|' read -r name check bare program aim <<<"$pair"
    for file in "${bare%% *}" "${program%% *}"; do
      file=$(find "$KV_BUILD" -name "$file" -not -path '*/CMakeFiles/*' -print -quit)
      [[ -n "$file" ]] || {
        echo "$name: a program is not built" >&2
        return 1
      }
      BENCH_FILES+=("$file")
    done
  done

  # Every program of every pair once a round; the order is rotated by one each round, so that
  # each program runs as often before as after its bare partner and each takes each place.
  local -a order=()
  for pair in "${PAIRS[@]}"; do
    IFS='|' read -r name check bare program aim <<<"$pair"
    order+=("$name|bare|$check|$bare" "$name|program|$check|$program")
  done
  local -A wall=() cpu=() server=() ratio_wall=() ratio_cpu=()
  local round i slot side command result ms cpu_ms server_ms key started=$SECONDS
  local loads=""
  for ((round = 1; round <= rounds; ++round)); do
    loads+="$(cut -d' ' -f1 /proc/loadavg) "
    local -A this_wall=() this_cpu=()
    for ((i = 0; i < ${#order[@]}; ++i)); do
      slot=${order[(i + round) % ${#order[@]}]}
      IFS='|' read -r name side check command <<<"$slot"
      # shellcheck disable=SC2086  # the command's words are its arguments
      result=$(bench_run "$machine" "$check" $command) || failed=1
      read -r ms cpu_ms server_ms <<<"$result"
      if [[ -z "$server_ms" ]]; then
        echo "round $round: $command could not be run" >&2
        return 1
      fi
      key="$name|$side"
      echo "round $round: $command ${ms} ms, process CPU ${cpu_ms} ms, wine server CPU" \
        "${server_ms} ms" >&2
      wall[$key]+="$ms "
      cpu[$key]+="$cpu_ms "
      server[$key]+="$server_ms "
      this_wall[$key]=$ms
      this_cpu[$key]=$((cpu_ms + server_ms))
    done
    for pair in "${PAIRS[@]}"; do
      IFS='|' read -r name _ <<<"$pair"
      ratio_wall[$name]+="$(awk -v a="${this_wall[$name|program]}" -v b="${this_wall[$name|bare]}" \
        'BEGIN { printf "%.4f", a / b }') "
      ratio_cpu[$name]+="$(awk -v a="${this_cpu[$name|program]}" -v b="${this_cpu[$name|bare]}" \
        'BEGIN { printf "%.4f", a / b }') "
    done
    unset this_wall this_cpu
  done
  echo "$rounds rounds in $((SECONDS - started)) s" >&2
  local bare_start cleaner_start log_ms piece_us
  read -r bare_start cleaner_start log_ms piece_us < <(bench_parts "$machine")
  rm -rf "$BENCH_WORK/run"

  local low high coverage verdict quartile
  # shellcheck disable=SC2086  # one number per word
  echo "Each program ran $rounds times, once a round. Times in ms: median (quartiles, min–max)." \
    "Load average (1 min) at the rounds' starts: $(spread 2 $loads)."
  echo
  echo "| program | wall | CPU, its processes | CPU, wine server |"
  echo "|---|---|---|---|"
  for pair in "${PAIRS[@]}"; do
    IFS='|' read -r name check bare program aim <<<"$pair"
    for side in bare program; do
      key="$name|$side"
      command=$bare
      [[ $side == program ]] && command=$program
      # shellcheck disable=SC2086  # one number per word
      echo "| \`$command\` | $(spread 0 ${wall[$key]}) | $(spread 0 ${cpu[$key]}) |" \
        "$(spread 0 ${server[$key]}) |"
    done
  done
  echo
  for pair in "${PAIRS[@]}"; do
    IFS='|' read -r name check bare program aim <<<"$pair"
    # shellcheck disable=SC2086  # one number per word
    read -r low high coverage < <(median_interval ${ratio_wall[$name]})
    verdict="not resolved: the interval holds $aim"
    awk -v h="$high" -v a="$aim" 'BEGIN { exit !(h <= a) }' && verdict=met
    awk -v l="$low" -v a="$aim" 'BEGIN { exit !(l > a) }' && verdict="not met"
    # shellcheck disable=SC2086
    echo "- \`$program\` / \`$bare\`, round by round, wall: $(spread 3 ${ratio_wall[$name]});" \
      "the median lies in $low–$high with ${coverage} % confidence. Aim at most $aim: $verdict."
    # shellcheck disable=SC2086
    read -r low high coverage < <(median_interval ${ratio_cpu[$name]})
    # shellcheck disable=SC2086
    echo "- the same, CPU time (its processes and the wine server): $(spread 3 ${ratio_cpu[$name]});" \
      "the median lies in $low–$high with ${coverage} % confidence."
    read -r quartile low high < <(lower_quartile_ratio "${wall[$name|program]}" "${wall[$name|bare]}")
    echo "- the lower quartiles' ratio, wall: $quartile (95 % bootstrap interval $low–$high); on a" \
      "busy machine runs often land on a slower level, and the lower quartile follows the quiet one."
  done
  echo "- the cleaner's own parts, measured alone: start and end without arguments" \
    "${cleaner_start} ms against ${bare_start} ms for the bare program (medians of 7); its" \
    "detail log's pieces, 2,400 lines of five pieces each flushed at once: ${log_ms} ms" \
    "(${piece_us} µs per piece, median of 5)."
  echo
  echo "<details><summary>Run by run (wall ms, in round order)</summary>"
  echo
  for pair in "${PAIRS[@]}"; do
    IFS='|' read -r name check bare program aim <<<"$pair"
    echo "- \`$bare\`: ${wall[$name|bare]% }"
    echo "- \`$program\`: ${wall[$name|program]% }"
    echo "- ratio: ${ratio_wall[$name]% }"
  done
  echo
  echo "</details>"
  return $failed
}

bench_main "$@"
