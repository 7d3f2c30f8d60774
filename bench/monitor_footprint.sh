#!/usr/bin/env bash
# Peak memory and CPU time of tavik-decode --port reading a 1 Hz simulated receiver.
# Usage: bench/monitor_footprint.sh [SECONDS] (default 60); needs /usr/bin/time.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bin=build/bin
config=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$config"' EXIT
export XDG_CONFIG_HOME=$config

"$bin/tavik-sim" --port COM1: 2>/dev/null &
sim=$!
while [ ! -L "$config/tavik/ports/COM1" ]; do sleep 0.05; done

# One fix per second: the count ends the run after about SECONDS seconds.
report=$config/time.txt
start=$(date +%s.%N)
/usr/bin/time -v -o "$report" "$bin/tavik-decode" --port COM1: --count "$seconds" \
  >"$config/rows.csv"
seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
rows=$(($(wc -l <"$config/rows.csv") - 1))
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$report")
user=$(sed -n 's/.*User time (seconds): //p' "$report")
system=$(sed -n 's/.*System time (seconds): //p' "$report")
awk -v s="$seconds" -v u="$user" -v y="$system" -v r="$rss" -v n="$rows" 'BEGIN {
  printf "fixes: %d in %.1f s\npeak RSS: %d kB\nCPU: %.0f ms total, %.3f ms per second\n",
         n, s, r, (u + y) * 1000, (u + y) * 1000 / s }'
