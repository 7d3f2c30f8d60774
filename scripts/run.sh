#!/usr/bin/env bash
# Installs what is missing, builds tavik and starts it with the simulated receiver.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}"

if [ ! -x build/bin/tavik ]; then
  echo "Built: $(ls build/bin | tr '\n' ' ')"
  echo "The desktop program is not there yet; decode a log meanwhile with:"
  echo "  build/bin/tavik-decode FILE"
  exit 0
fi

sim_pid=
if [ -x build/bin/tavik-sim ]; then
  build/bin/tavik-sim --port COM1: &
  sim_pid=$!
  trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait' EXIT
  sleep 0.5
fi
build/bin/tavik
