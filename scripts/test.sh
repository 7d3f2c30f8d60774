#!/usr/bin/env bash
# Installs what is missing, builds tavik and runs every suite: plain, under
# AddressSanitizer + UBSan, the threaded suites under ThreadSanitizer, and the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

jobs=${JOBS:-2}
# Runs per fuzz target; each configuration file input is written to disk and loaded.
declare -A fuzz_runs=([fuzz_nmea]=${FUZZ_RUNS:-1000000} [fuzz_format]=${FUZZ_INPUT_RUNS:-200000}
  [fuzz_config]=${FUZZ_CONFIG_RUNS:-50000})
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

# Windows under test need an X server; one Xvfb serves a whole suite.
with_x() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${TAVIK_TEST_OWN_X:-}" ]; then "$@"; else
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"; fi
}

suite() {
  local name=$1 dir=$2
  shift 2
  echo "== $name"
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  local log="$dir/ctest.log"
  set +e
  with_x ctest --test-dir "$dir" --output-on-failure --timeout 600 -j"$jobs" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  set -e
  grep -E 'tests passed, [0-9]+ tests failed out of' "$log" >>"$summary" || true
  return "$status"
}

export QT_QPA_PLATFORMTHEME=
# The plain build compiles what the quick start build compiled before it, with the same flags.
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

# The quick start's build (scripts/run.sh) needs none of the test or benchmark packages.
echo "== quick start build without test packages"
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIK_BUILD_TESTS=OFF \
  -DTAVIK_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-run -j"$jobs" --target tavik tavik0407 tavik-sim
quick_start_passed=1

# A build folder first made by scripts/run.sh has the suites switched off.
suite "plain build" build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIK_BUILD_TESTS=ON \
  -DTAVIK_BUILD_BENCH=ON
suite "AddressSanitizer + UBSan" build-asan -DCMAKE_BUILD_TYPE=Debug \
  -DTAVIK_SANITIZE=address,undefined -DTAVIK_BUILD_BENCH=OFF -DTAVIK_BUILD_TESTS=ON
suite "ThreadSanitizer" build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVIK_SANITIZE=thread -DTAVIK_BUILD_BENCH=OFF -DTAVIK_BUILD_APP=OFF

echo "== fuzzers"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVIK_BUILD_FUZZ=ON -DTAVIK_BUILD_TESTS=OFF -DTAVIK_BUILD_BENCH=OFF \
  -DTAVIK_BUILD_APP=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
fuzz_passed=0
for target in build-fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  corpus=$(mktemp -d)
  cp fuzz/corpus/"${name#fuzz_}"/* "$corpus"/ 2>/dev/null || true
  echo "$name: ${fuzz_runs[$name]} runs"
  "$target" -runs="${fuzz_runs[$name]}" -max_len=2048 "$corpus" 2>&1 | tail -n 2
  rm -rf "$corpus"
  fuzz_passed=$((fuzz_passed + 1))
done

passed=0 failed=0
while read -r line; do
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done <"$summary"
echo "tavik: $((passed + fuzz_passed + quick_start_passed)) passed, $failed failed"
