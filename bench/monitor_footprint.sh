#!/usr/bin/env bash
# Peak memory, CPU time and wake-ups of tavik-decode --port reading a 1 Hz simulated
# receiver whose bytes come at the pace of a real line; with a third argument "gpx" it
# records a track meanwhile (a waypoint for each position that changed).
# Usage: bench/monitor_footprint.sh [SECONDS [BAUD [gpx]]] (defaults 60, 9600, none).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
baud=${2:-9600}
bin=build/bin
config=$(mktemp -d)
trap 'kill "$sim" "${reader:-}" 2>/dev/null || true; rm -rf "$config"' EXIT
record=()
if [ "${3:-}" = gpx ]; then record=(--gpx "$config/track.gpx"); fi
export XDG_CONFIG_HOME=$config

"$bin/tavik-sim" --port COM1: --baud "$baud" 2>/dev/null &
sim=$!
while [ ! -L "$config/tavik/ports/COM1" ]; do sleep 0.05; done

"$bin/tavik-decode" --port COM1: "${record[@]}" >"$config/rows.csv" &
reader=$!
start=$(date +%s.%N)
sleep "$seconds"
# Taken from the live process: run time in nanoseconds (start-up included) and the
# times each thread gave up the processor to wait, each wait being followed by a wake-up.
# The reader thread is the one that is not the main thread (with gpx, also the
# recording's sync thread).
cpu_ns=0
waits=0
reader_waits=0
for task in /proc/$reader/task/*; do
  read -r run _ <"$task/schedstat"
  cpu_ns=$((cpu_ns + run))
  task_waits=$(sed -n 's/^voluntary_ctxt_switches:\s*//p' "$task/status")
  waits=$((waits + task_waits))
  [ "${task##*/}" = "$reader" ] || reader_waits=$((reader_waits + task_waits))
done
rss=$(sed -n 's/^VmHWM:\s*\([0-9]*\).*/\1/p' "/proc/$reader/status")
elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
kill -INT "$reader"
wait "$reader" || true
rows=$(($(wc -l <"$config/rows.csv") - 1))
awk -v s="$elapsed" -v c="$cpu_ns" -v r="$rss" -v n="$rows" -v w="$waits" -v t="$reader_waits" \
  -v b="$baud" 'BEGIN {
  printf "fixes: %d in %.1f s at %d baud\npeak RSS: %d kB\n", n, s, b, r
  printf "CPU: %.1f ms total, %.3f ms per second\n", c / 1e6, c / 1e6 / s
  printf "wake-ups: %d, %.1f per second (reader thread %.1f)\n", w, w / s, t / s }'
