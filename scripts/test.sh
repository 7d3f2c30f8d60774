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
summary=$(mktemp) skips=$(mktemp)
trap 'rm -f "$summary" "$skips"' EXIT

# Windows under test need an X server; one Xvfb serves a whole suite. The suite has a
# session bus of its own too, ended with it (the window suites start one per run as well).
own_bus=(dbus-run-session --config-file="$PWD/tests/support/session_bus.conf" --)
with_x() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${TAVIK_TEST_OWN_X:-}" ]; then "${own_bus[@]}" "$@"; else
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "${own_bus[@]}" "$@"; fi
}

# Appends "suite<TAB>test<TAB>reason" for each test that the ctest run logged in $2/ctest.log
# skipped: the reason is GoogleTest's GTEST_SKIP message or a script's "SKIP:" line (its
# exit 77), taken from the test's output in ctest's LastTest.log.
list_skips() {
  python3 - "$1" "$2/ctest.log" "$2/Testing/Temporary/LastTest.log" >>"$skips" <<'PY'
import re, sys
suite, summary, log = sys.argv[1:]
skipped = re.findall(r"^\s+\d+ - (.*) \(Skipped\)$", open(summary, errors="replace").read(), re.M)
outputs = {}
for block in re.split(r"^(?=\d+/\d+ Testing: )", open(log, errors="replace").read(), flags=re.M):
    name = re.search(r"^\d+/\d+ Testing: (.*)$", block, re.M)
    if name and "<end of output>" in block:
        outputs[name.group(1)] = block.split("<end of output>")[0].split("Output:\n", 1)[-1]
for name in skipped:
    output = outputs.get(name, "")
    reason = re.search(r": Skipped\n(.*?)\n\[  SKIPPED \]", output, re.S)
    if reason:
        reason = " ".join(reason.group(1).split())
    else:
        lines = re.findall(r"^SKIP: (.*)$", output, re.M) or output.strip().splitlines()[-1:]
        reason = lines[-1] if lines else ""
    print(suite, name, reason or "no reason given", sep="\t")
PY
}

suite() {
  local name=$1 dir=$2
  shift 2
  echo "== $name"
  # Called as "suite ... || status=1", where set -e does not hold: a build that fails
  # counts as one failed test.
  if ! cmake -S . -B "$dir" "$@" >/dev/null || ! cmake --build "$dir" -j"$jobs"; then
    echo "0% tests passed, 1 tests failed out of 1 (the build of the $name)" >>"$summary"
    return 1
  fi
  local log="$dir/ctest.log"
  set +e
  with_x ctest --test-dir "$dir" --output-on-failure --timeout 600 -j"$jobs" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  set -e
  grep -E 'tests passed, [0-9]+ tests failed out of' "$log" >>"$summary" || true
  list_skips "$name" "$dir"
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
  -DTAVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-run -j"$jobs" --target tavik tavik0407 tavik-decode tavik-sim
quick_start_passed=1

# Every suite runs, also after one has failed; the script fails at the end.
status=0

# A build folder first made by scripts/run.sh has the suites switched off.
suite "plain build" build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIK_BUILD_TESTS=ON \
  -DTAVIK_BUILD_BENCH=ON || status=1
suite "AddressSanitizer + UBSan" build-asan -DCMAKE_BUILD_TYPE=Debug \
  -DTAVIK_SANITIZE=address,undefined -DTAVIK_BUILD_BENCH=OFF -DTAVIK_BUILD_TESTS=ON || status=1
suite "ThreadSanitizer" build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVIK_SANITIZE=thread -DTAVIK_BUILD_BENCH=OFF -DTAVIK_BUILD_APP=OFF || status=1

echo "== fuzzers"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVIK_BUILD_FUZZ=ON -DTAVIK_BUILD_TESTS=OFF -DTAVIK_BUILD_BENCH=OFF \
  -DTAVIK_BUILD_APP=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
fuzz_passed=0 fuzz_failed=0
for target in build-fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  corpus=$(mktemp -d)
  cp fuzz/corpus/"${name#fuzz_}"/* "$corpus"/ 2>/dev/null || true
  echo "$name: ${fuzz_runs[$name]} runs"
  # A crash or sanitizer report ends the fuzzer with a non-zero status: a failed test.
  set +e
  "$target" -runs="${fuzz_runs[$name]}" -max_len=2048 "$corpus" >"$corpus.log" 2>&1
  fuzz_status=$?
  set -e
  if [ "$fuzz_status" = 0 ]; then
    tail -n 2 "$corpus.log"
    fuzz_passed=$((fuzz_passed + 1))
  else
    tail -n 40 "$corpus.log"
    echo "$name failed with status $fuzz_status"
    fuzz_failed=$((fuzz_failed + 1)) status=1
  fi
  rm -rf "$corpus" "$corpus.log"
done

# ctest counts a skipped test among the passed ones; here it is counted apart.
passed=0 failed=0 skipped=$(grep -c . "$skips" || true)
while read -r line; do
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done <"$summary"
echo "tavik: $((passed - skipped + fuzz_passed + quick_start_passed)) passed, $((failed + fuzz_failed)) failed, $skipped skipped"
while IFS=$'\t' read -r suite_name test reason; do
  echo "skipped: $test ($suite_name): $reason"
done <"$skips"
exit "$status"
