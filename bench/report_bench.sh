#!/usr/bin/env bash
# kvreport on generated shares (make_kvcheck_documents.py): 5,000 and 50,000 PCs with one
# document each, and 5,000 PCs with a document before and after. Prints a Markdown table of the
# CPU time (user + system) and peak memory (maximum resident set) that /usr/bin/time reports, the
# median of the rounds for the time, the largest for the memory.
# usage: report_bench.sh <kvreport> <work folder> [rounds]
set -euo pipefail
kvreport=$1 work=$2 rounds=${3:-3}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$work"
echo "| share | documents | PCs | CPU s (median) | wall s (median) | peak MB | report.html MB | meets the aim |"
echo "|---|---|---|---|---|---|---|---|"
for share in 5000 50000 5000:before-after; do
  pcs=${share%%:*} flag=
  [[ $share == *:before-after ]] && flag=--before-after
  folder=$work/share-$pcs${flag:+-ba}
  [[ -d $folder ]] || python3 "$here/make_kvcheck_documents.py" "$folder" "$pcs" $flag
  documents=$(find "$folder" -name '*.json' | wc -l)
  cpus=() walls=() peak=0
  for ((round = 0; round < rounds; round++)); do
    read -r cpu wall kb < <(/usr/bin/time -f '%U %S %e %M' "$kvreport" "$folder" -o "$work/out" 2>&1 \
      >/dev/null | tail -n 1 | awk '{ print $1 + $2, $3, $4 }')
    cpus+=("$cpu") walls+=("$wall")
    ((kb > peak)) && peak=$kb
  done
  median() { printf '%s\n' "$@" | sort -g | sed -n "$(((${#@} + 1) / 2))p"; }
  cpu=$(median "${cpus[@]}") mb=$((peak / 1024))
  html=$(du -m "$work/out/report.html" | cut -f1)
  aim="n/a"
  [[ $pcs == 5000 && -z $flag ]] && aim=$(awk -v c="$cpu" 'BEGIN { print (c < 2 ? "yes (< 2 s CPU)" : "no (2 s CPU)") }')
  [[ $pcs == 50000 ]] && aim=$( ((mb < 200)) && echo "yes (< 200 MB)" || echo "no (200 MB)")
  echo "| $pcs PCs${flag:+, before and after} | $documents | $pcs | $cpu | $(median "${walls[@]}") | $mb | $html | $aim |"
done
