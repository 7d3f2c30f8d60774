#!/usr/bin/env bash
# Measures the desktop program under an X server (Xvfb when none is given): time from
# start to its window on the screen, resident memory, and CPU use over a minute of a
# 1 Hz NMEA stream at 9600 baud with the link open.
#   bench/app_footprint.sh [seconds]     (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi
seconds=${1:-60}
bin=${BIN:-build/bin}
work=$(mktemp -d)
mkdir -m 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" LC_ALL=C.UTF-8
unset QT_QPA_PLATFORMTHEME
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/tavik-sim" --port COM1: --baud 9600 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$XDG_CONFIG_HOME/tavik/ports/COM1" ] && break; sleep 0.05; done

now_ms() { echo $(($(date +%s%N) / 1000000)); }
start=$(now_ms)
"$bin/tavik" &
tavik=$!
pids+=($tavik)
window=
until window=$(xdotool search --onlyvisible --name '^GPS$' 2>/dev/null | head -n1) && [ -n "$window" ]; do
  sleep 0.002
done
shown=$(now_ms)
echo "start to window shown: $((shown - start)) ms"

# Start the link through the context menu, as a person would.
sleep 0.5
xdotool mousemove --window "$window" 3 3 click 1
sleep 0.3
xdotool key s
sleep 3

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$tavik/stat"; }
before=$(cpu_ticks)
sleep "$seconds"
after=$(cpu_ticks)
rss_kb=$(awk '/^VmRSS/ {print $2}' "/proc/$tavik/status")
echo "resident memory with the link open: $((rss_kb / 1024)) MB ($rss_kb kB)"
awk -v t=$((after - before)) -v hz="$ticks_per_second" -v s="$seconds" \
  'BEGIN { printf "CPU with the link open: %.2f ms per second over %d s\n", t * 1000 / hz / s, s }'
