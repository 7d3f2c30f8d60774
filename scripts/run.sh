#!/usr/bin/env bash
# Installs what is missing, builds tavik and starts it with a simulated receiver
# published as COM1:, tavik's default port. Ending tavik ends the simulator; ending
# this script (Ctrl-C, kill, closing its terminal) ends both.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { echo "== $*"; }
started=$SECONDS
step "packages (apt's progress follows when some are missing)"
scripts/deps.sh run

# A fresh build folder skips the test suites and benchmarks: they need packages the
# window does not, and building them takes far longer than the program. A folder
# configured before (by scripts/test.sh, say) keeps its settings.
if [ ! -f build/CMakeCache.txt ]; then
  step "configuring build/"
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIK_BUILD_TESTS=OFF \
    -DTAVIK_BUILD_BENCH=OFF >/dev/null
fi
step "building tavik, its German module, tavik-decode and tavik-sim"
cmake --build build -j"${JOBS:-2}" --target tavik tavik0407 tavik-decode tavik-sim
step "ready after $((SECONDS - started)) s"

sim_pid= tavik_pid=
# Ends what this script started, whichever way it ends.
stop() {
  trap - EXIT INT TERM HUP
  [ -z "$tavik_pid" ] || kill -TERM "$tavik_pid" 2>/dev/null || true
  [ -z "$sim_pid" ] || kill -TERM "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap stop EXIT
trap 'stop; exit 130' INT
trap 'stop; exit 143' TERM
trap 'stop; exit 129' HUP

build/bin/tavik-sim --port COM1: &
sim_pid=$!
sleep 0.5
if ! kill -0 "$sim_pid" 2>/dev/null; then
  sim_pid=
  echo "The simulated receiver did not start (see above); tavik starts without it." >&2
else
  echo "A simulated receiver is on COM1:. Click tavik's window and choose Start."
fi
# tavik runs in the background so that a signal to this script is handled at once: bash
# runs a trap only once the foreground program has ended.
build/bin/tavik &
tavik_pid=$!
status=0
wait "$tavik_pid" || status=$?
tavik_pid=
exit "$status"
