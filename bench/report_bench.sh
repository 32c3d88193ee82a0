#!/usr/bin/env bash
# kvreport on generated shares (make_kvcheck_documents.py): 5,000 and 50,000 PCs with one
# document each, 5,000 PCs with a document before and after, and one file just under the size
# limit that lists three million empty objects (refused, but only after a pass over it). Prints a Markdown table of the
# CPU time (user + system) and peak memory (maximum resident set) that /usr/bin/time reports, the
# median of the rounds for the time, the largest for the memory.
# usage: report_bench.sh <kvreport> <work folder> [rounds]
set -euo pipefail
kvreport=$1 work=$2 rounds=${3:-3}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$work"
echo "| share | documents | PCs | CPU s (median) | wall s (median) | peak MB | report.html MB | meets the aim |"
echo "|---|---|---|---|---|---|---|---|"
for share in 5000 50000 5000:before-after 1:wide; do
  pcs=${share%%:*} flag=
  [[ $share == *:before-after ]] && flag=--before-after
  [[ $share == *:wide ]] && flag=--wide
  folder=$work/share-$pcs${flag:+$flag}
  if [[ ! -d $folder && $flag == --wide ]]; then
    mkdir -p "$folder"
    python3 -c 'import sys; sys.stdout.write("{\"schema\": 2, \"queues\": [" + ",".join(["{}"] * 3100000) + "]}")' \
      >"$folder/wide.json"
  fi
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
  [[ $flag == --wide ]] && flag=", one file of 3,100,000 empty objects"
  aim="n/a"
  [[ $pcs == 5000 && -z $flag ]] && aim=$(awk -v c="$cpu" 'BEGIN { print (c < 2 ? "yes (< 2 s CPU)" : "no (2 s CPU)") }')
  [[ $pcs == 50000 ]] && aim=$( ((mb < 200)) && echo "yes (< 200 MB)" || echo "no (200 MB)")
  [[ $flag == --before-after ]] && flag=", before and after"
  echo "| $pcs PCs$flag | $documents | $pcs | $cpu | $(median "${walls[@]}") | $mb | $html | $aim |"
done
