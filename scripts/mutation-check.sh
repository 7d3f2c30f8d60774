#!/usr/bin/env bash
# Mutation check: do the suites notice real faults?
#
# Applies, one at a time, each deliberate fault listed at the end of this file to a
# scratch checkout of a git revision, builds only the test programs that exercise the
# faulty folder (plus the tool and end-to-end suites), runs them, and reports each
# fault as killed (some suite failed or hung), SURVIVED (every suite passed), not
# applied (its text is no longer in the source), no build (the fault did not compile)
# or unsure (the killing test fails without the fault too). Not run by CI: after one
# build and run of the unchanged suites it takes 10 to 20 s per fault in the core
# folders and about a minute per fault in the front-end.
#
#   scripts/mutation-check.sh [--rev REV] [--keep] [--list|--dry-run] [ID-REGEX...]
#
#   --rev REV   revision to check (default HEAD); the faults come from this script
#   --keep      leave the scratch checkout and its build in place
#   --list      print the faults and exit
#   --dry-run   only report which faults still apply to REV, without building
#   ID-REGEX    check only the faults whose id matches one of these (grep -E)
#
# Environment: JOBS (default 2), TEST_TIMEOUT seconds per test (default 120),
# FAULT_TIMEOUT seconds for all suites of one fault (default 900), TEST_DIRS the test
# folders to run instead of those that exercise the faulty folder (e.g. "nmea": does
# the folder's own suite catch its faults?).
set -euo pipefail

# All of it is one function, which bash reads whole before running: a checkout that
# changes this file while a check runs cannot change what the check does.
main() {
script=$(readlink -f "$0")
project=$(git -C "$(dirname "$script")" rev-parse --show-toplevel)
rev=HEAD keep=0 list=0 dry=0 patterns=()
while [ $# -gt 0 ]; do
  case $1 in
    --rev) rev=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --list) list=1; shift ;;
    --dry-run) dry=1; shift ;;
    -h | --help) sed -n '2,/^set -e/p' "$script" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) patterns+=("$1"); shift ;;
  esac
done
jobs=${JOBS:-2}
test_timeout=${TEST_TIMEOUT:-120}
fault_timeout=${FAULT_TIMEOUT:-900}

# The fault list, one fault per "@@ id path" block of "- old" / "+ new" pairs.
faults=$(mktemp)
sed -n "/^: <<'FAULTS'\$/,/^FAULTS\$/p" "$script" | sed '1d;$d' >"$faults"
ids=$(sed -n 's/^@@ \([^ ]*\) .*/\1/p' "$faults" | awk '!seen[$0]++')
if [ ${#patterns[@]} -gt 0 ]; then
  ids=$(grep -E "$(IFS='|'; echo "${patterns[*]}")" <<<"$ids" || true)
fi
if [ "$list" = 1 ]; then
  for id in $ids; do grep -m 1 "^@@ $id " "$faults" | sed 's/^@@ //'; done | column -t
  rm -f "$faults"
  exit 0
fi
[ -n "$ids" ] || { echo "no fault matches" >&2; exit 2; }

# Applies fault $1 to the tree in $2: every "- old" text must occur exactly once in
# the fault's file. A fault may be given in several spellings (blocks with the same
# id), for code that reads differently in other revisions; the first that applies is
# used. Prints the file on success; exits 1 (nothing written) otherwise.
apply_fault() {
  python3 - "$faults" "$1" "$2" <<'PY'
import sys
faults, wanted, tree = sys.argv[1:]
variants, pairs, side = [], None, 0
for line in open(faults, encoding="utf-8").read().splitlines():
    if line.startswith("@@ "):
        _, block, path = line.split()
        pairs = [] if block == wanted else None
        if pairs is not None:
            variants.append((path, pairs))
    elif pairs is None:
        continue
    elif line.startswith("-"):
        pairs.append([line[2:], None])
        side = 0
    elif line.startswith("+"):
        pairs[-1][1] = line[2:]
        side = 1
    else:  # a further line of the text above
        pairs[-1][side] += "\n" + line
for path, pairs in variants:
    try:
        text = open(f"{tree}/{path}", encoding="utf-8").read()
    except OSError:
        continue
    if all(new is not None and text.count(old) == 1 for old, new in pairs):
        for old, new in pairs:
            text = text.replace(old, new)
        open(f"{tree}/{path}", "w", encoding="utf-8").write(text)
        print(path)
        sys.exit(0)
sys.exit(1)
PY
}

# A scratch checkout beside the project, below the same ccache base folder.
parent=$(dirname "$project")
tree=$(mktemp -d "$parent/tavik-mutation.XXXXXX")
cleanup() {
  rm -f "$faults"
  if [ "$keep" = 1 ]; then
    echo "scratch checkout kept: $tree"
  else
    git -C "$project" worktree remove --force "$tree" 2>/dev/null || rm -rf "$tree"
  fi
}
trap cleanup EXIT
git -C "$project" worktree add --detach "$tree" "$rev" >/dev/null 2>&1
echo "revision $(git -C "$tree" rev-parse --short HEAD) in $tree"
# Which faults apply to this revision; only their folders' suites are built and run.
applicable=()
for id in $ids; do
  if path=$(apply_fault "$id" "$tree"); then
    git -C "$tree" checkout -q -- "$path"
    applicable+=("$id")
    [ "$dry" = 1 ] && echo "$id applies"
  else
    [ "$dry" = 1 ] && echo "$id not applied"
  fi
done
[ "$dry" = 1 ] && exit 0
if [ ${#applicable[@]} = 0 ]; then echo "not applied: $(echo $ids)"; exit 0; fi

export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR=$parent CCACHE_NOHASHDIR=1
export QT_QPA_PLATFORMTHEME=
build=$tree/build
cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIK_BUILD_BENCH=OFF >/dev/null

# Which suites exercise a folder: the test folders whose programs run for its faults.
# The package test is left out: it packs the whole program, not a suite.
test_dirs_of() {
  if [ -n "${TEST_DIRS:-}" ]; then echo "$TEST_DIRS"; return; fi
  case $1 in
    app) echo "app" ;;
    language) echo "app tools" ;;  # the loader and its texts: resources_test, tavik-decode
    platform) echo "platform gps display gpx tools e2e" ;;
    *) echo "$1 tools e2e" ;;
  esac
}

# Lines "test-folder<TAB>program<TAB>test-name" for every test ctest knows (names of
# parameterised tests hold spaces); a program not built yet appears once, as
# "<program>_NOT_BUILT".
test_table() {
  ctest --test-dir "$build" --show-only=json-v1 2>/dev/null | python3 -c '
import json, os, sys
for t in json.load(sys.stdin)["tests"]:
    props = {p["name"]: p["value"] for p in t.get("properties", [])}
    folder = os.path.basename(props.get("WORKING_DIRECTORY", ""))
    command = t.get("command") or []
    if "--" in command:
        command = command[command.index("--") + 1:]
    if t["name"].endswith("_NOT_BUILT"):
        program = t["name"][: -len("_NOT_BUILT")]
    elif command and not command[0].endswith(".sh"):
        program = os.path.basename(command[0])
    else:
        continue
    print(folder, program, t["name"], sep="\t")
'
}

folders_of_ids() {
  for id in "${applicable[@]}"; do
    grep "^@@ $id " "$faults" | awk '{print $3}' | cut -d/ -f1
  done | sort -u
}
all_dirs=$(for f in $(folders_of_ids); do test_dirs_of "$f"; done | tr ' ' '\n' | sort -u)
programs_in() {  # programs of the test folders given
  test_table | awk -F '\t' -v dirs=" $* " 'index(dirs, " " $1 " ") {print $2}' | sort -u
}
# shellcheck disable=SC2086
all_programs=$(programs_in $all_dirs)
echo "building $(wc -w <<<"$all_programs") test programs"
# shellcheck disable=SC2086
cmake --build "$build" -j"$jobs" --target $all_programs >"$tree/baseline-build.log" 2>&1 ||
  { tail -n 30 "$tree/baseline-build.log"; echo "the unchanged revision does not build" >&2; exit 1; }
table=$(test_table)

# Runs the tests of the given folders, leaving out those in $tree/baseline-failed.
# Returns 0 when all pass; the failed tests are left in $tree/killer.
run_suites() {
  awk -F '\t' -v dirs=" $* " 'index(dirs, " " $1 " ") {print $3}' <<<"$table" |
    grep -v -x -F -f "$tree/baseline-failed" >"$tree/selected" || true
  run_selected "$*"
}

# Runs the one test named $1, of the folders in $2.
run_suites_named() {
  echo "$1" >"$tree/selected"
  run_selected "$2"
}

# Runs the tests named in $tree/selected; $1 are their folders.
run_selected() {
  local regex
  regex=$(python3 -c 'import re, sys; print("^(" + "|".join(map(re.escape, sys.stdin.read().splitlines())) + ")$")' <"$tree/selected")
  local failed=$build/Testing/Temporary/LastTestsFailed.log
  rm -f "$failed" "$tree/killer"
  local x=()
  if [[ " $1 " == *" app "* ]]; then x=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp"); fi
  local status=0
  "${x[@]}" timeout -k 10 "$fault_timeout" ctest --test-dir "$build" -R "$regex" -j"$jobs" \
    --timeout "$test_timeout" ${STOP:+--stop-on-failure} >"$tree/ctest.log" 2>&1 || status=$?
  if [ "$status" = 124 ]; then echo "(all suites timed out)" >"$tree/killer"; return 1; fi
  if [ -s "$failed" ]; then cut -d: -f2- "$failed" >"$tree/killer"; return 1; fi
  return "$status"
}

# Tests that fail without any fault cannot kill one.
: >"$tree/baseline-failed"
# shellcheck disable=SC2086
if ! run_suites $all_dirs; then
  cp "$tree/killer" "$tree/baseline-failed"
  echo "failing without any fault, left out: $(tr '\n' ' ' <"$tree/baseline-failed")"
fi
# shellcheck disable=SC2086
expected=$(awk -F '\t' -v dirs=" $(echo $all_dirs) " 'index(dirs, " " $1 " ")' <<<"$table" | wc -l)
ran=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$tree/ctest.log")
if [ "${ran:-0}" != "$expected" ]; then
  echo "ctest ran ${ran:-no} tests of the $expected selected; see $tree/ctest.log" >&2
  keep=1
  exit 1
fi
echo "without faults: $expected tests, $(grep -c . "$tree/baseline-failed") failing"

export STOP=1
killed=() survived=() not_applied=() no_build=() flaky=()
total=$(wc -w <<<"$ids") n=0
for id in $ids; do
  n=$((n + 1))
  start=$SECONDS
  printf '[%2d/%d] %-34s ' "$n" "$total" "$id"
  if ! path=$(apply_fault "$id" "$tree"); then
    not_applied+=("$id")
    echo "not applied"
    continue
  fi
  folder=${path%%/*}
  dirs=$(test_dirs_of "$folder")
  # shellcheck disable=SC2086
  programs=$(awk -F '\t' -v dirs=" $dirs " 'index(dirs, " " $1 " ") {print $2}' <<<"$table" | sort -u)
  # shellcheck disable=SC2086
  if ! cmake --build "$build" -j"$jobs" --target $programs >"$tree/build.log" 2>&1; then
    no_build+=("$id")
    result="no build"
  elif run_suites $dirs; then
    survived+=("$id")
    result="SURVIVED"
  else
    killer=$(head -n 1 "$tree/killer")
    result="killed ($killer)"
  fi
  git -C "$tree" checkout -q -- "$path"
  # A kill counts only if the killing test passes again without the fault: a test
  # that fails now and then under load proves nothing.
  if [ "${result#killed}" != "$result" ]; then
    if [ "$killer" != "(all suites timed out)" ] &&
      cmake --build "$build" -j"$jobs" --target $programs >"$tree/build.log" 2>&1 &&
      ! run_suites_named "$killer" "$dirs"; then
      flaky+=("$id")
      result="unsure: $killer fails without the fault too"
    else
      killed+=("$id")
    fi
  fi
  echo "$result, $((SECONDS - start)) s"
done

echo
echo "killed ${#killed[@]} of $((total - ${#not_applied[@]} - ${#no_build[@]} - ${#flaky[@]})) applied faults"
echo "survived:    ${survived[*]:-none}"
echo "not applied: ${not_applied[*]:-none}"
echo "no build:    ${no_build[*]:-none}"
echo "unsure:      ${flaky[*]:-none}"
}

main "$@"
exit 0

# Each fault: "@@ id path", then pairs of "- text" (exactly once in the file) and
# "+ replacement" (may be empty, which deletes the text). A line that starts with
# neither continues the text above it on a new line.
: <<'FAULTS'
@@ nmea-gga-name-unchecked nmea/decode_gga.cpp
- s[4] != 'G' || s[5] != 'A'
+ s[4] != 'G' || s[5] == '\0'
@@ nmea-south-not-negated nmea/decode_gga.cpp
- *latitude = -*latitude;
+ *latitude = +*latitude;
@@ nmea-west-not-negated nmea/decode_gga.cpp
- *longitude = -*longitude;
+ *longitude = +*longitude;
@@ nmea-field-limit-off-by-one nmea/decode_gga.cpp
- if (length > kGgaFieldMax) return 0;
+ if (length >= kGgaFieldMax) return 0;
@@ nmea-altitude-field-moved nmea/decode_gga.cpp
- kAltitude = 8,
+ kAltitude = 9,
@@ nmea-tenth-dropped nmea/parse_decimal.cpp
- fraction = fraction * 0.1;
+ fraction = fraction * 1.0;
@@ nmea-tenth-divided nmea/parse_decimal.cpp
- fraction = fraction * 0.1;
+ fraction = fraction / 10;
@@ nmea-negative-fraction-added nmea/parse_decimal.cpp
- StartsNegative(text, dot) ? whole - fraction : whole + fraction
+ whole + fraction
@@ nmea-saturation-off-by-one nmea/parse_decimal.cpp
- if (magnitude > limit) magnitude = limit;
+ if (magnitude > limit + 1) magnitude = limit + 1;
@@ nmea-fraction-sign-allowed nmea/parse_decimal.cpp
- if (*fraction_text < '0' || *fraction_text > '9') return false;
+ if (*fraction_text == '.') return false;
@@ nmea-minutes-as-hundredths nmea/parse_decimal.cpp
- (angle - 100.0 * degrees) / 60.0
+ (angle - 100.0 * degrees) / 100.0
@@ nmea-utm-scale nmea/project_utm.cpp
- constexpr double kScale = 0.9996;
+ constexpr double kScale = 0.9999;
@@ nmea-utm-central-meridian nmea/project_utm.cpp
- 6 * zone - 183
+ 6 * zone - 177
@@ nmea-utm-central-meridian nmea/project_utm.cpp
- (zone_floor + 0.5) * kZoneDegrees
+ (zone_floor + 1.5) * kZoneDegrees
@@ nmea-utm-second-eccentricity nmea/project_utm.cpp
- std::sqrt((a * a - b * b) / (a * a))
+ std::sqrt((a * a - b * b) / (b * b))
@@ nmea-utm-arc-sign nmea/project_utm.cpp
- + t.arc_c * std::sin(phi4)
+ - t.arc_c * std::sin(phi4)
@@ gps-cutter-off-by-one gps/line_cutter.cpp
- cutter->length == kLineMax
+ cutter->length == kLineMax - 1
@@ gps-cutter-empty-lines gps/line_cutter.cpp
- if (cutter->length > 0) {
+ if (cutter->length >= 0) {
@@ gps-cutter-cr-kept gps/line_cutter.cpp
- byte == '\r' || byte == '\n'
+ byte == '\n'
@@ gps-parity-codes-swapped gps/setting_tables.cpp
- {"E", kEvenParity}, {"N", kNoParity}, {"O", kOddParity}
+ {"E", kOddParity}, {"N", kNoParity}, {"O", kEvenParity}
@@ gps-two-stop-bits-as-one gps/setting_tables.cpp
- {"2", kTwoStopBits}
+ {"2", kOneStopBit}
@@ gps-baud-row-wrong gps/setting_tables.cpp
- {"4800", 4800}
+ {"4800", 9600}
@@ gps-lookup-prefix gps/setting_tables.cpp
- strcmp(table[row].text, text) == 0
+ strncmp(table[row].text, text, 1) == 0
@@ gps-reader-ignores-close gps/serial_reader.cpp
- link->line_handler_context, &link->running);
+ link->line_handler_context, nullptr);
@@ platform-parity-codes-swapped platform/serial_line.cpp
- *flags = PARENB | PARODD;
+ *flags = PARENB;
- case kEvenParity:
      *flags = PARENB;
+ case kEvenParity:
      *flags = PARENB | PARODD;
@@ platform-stop-bits-dropped platform/serial_line.cpp
- *flags = CSTOPB;
+ *flags = 0;
@@ platform-seven-bits-as-eight platform/serial_line.cpp
- *code = CS7;
+ *code = CS8;
@@ platform-lock-excludes-nothing platform/lock.cpp
- lock->mutex.lock();
+ (void)lock;
- lock->mutex.unlock();
+ (void)lock;
@@ platform-com9-refused platform/port_names.cpp
- name[3] > '9'
+ name[3] > '8'
@@ platform-port-table-order platform/port_names.cpp
- "/dev/ttyS0",   "/dev/ttyUSB0"
+ "/dev/ttyUSB0", "/dev/ttyS0"
@@ platform-ports-folder-name platform/port_names.cpp
- "%s/tavik/ports"
+ "%s/tavik/port"
@@ platform-home-slash-doubled platform/app_data_folder.cpp
- home[strlen(home) - 1] == '/' ? "" : "/"
+ "/"
@@ platform-folder-mode-open platform/app_data_folder.cpp
- kFolderMode = 0700;
+ kFolderMode = 0755;
@@ platform-read-interval-ignored platform/serial_io.cpp
- const int64_t interval_end = NowNs() + timeouts.read_interval_ms * kNsPerMs;
+ const int64_t interval_end = total_deadline;
@@ platform-hangup-spins platform/serial_io.cpp
- if (count == 0 && (wait.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0) continue;
+ if (count == 0) continue;
@@ platform-read-interval-ignored platform/serial_io.cpp
- got > 0 ? std::min(total_deadline, last_bytes_seen + interval) : total_deadline;
+ total_deadline;
@@ platform-hangup-spins platform/serial_io.cpp
- const short gone = POLLHUP | POLLERR | POLLNVAL | POLLRDHUP;
+ const short gone = 0;
- if (count < 0) return errno == EINTR || errno == EAGAIN ? 0 : -1;
+ if (count < 0) return 0;
@@ platform-utf8-lead-byte platform/text_convert.cpp
- {0, 0, 0xC0, 0xE0, 0xF0}
+ {0, 0, 0xC0, 0xE0, 0xE0}
@@ platform-low-surrogate-range platform/text_convert.cpp
- unit >= 0xDC00 && unit <= 0xDFFF
+ unit >= 0xDC00 && unit <= 0xDFFE
@@ platform-high-surrogate-encoded-low platform/text_convert.cpp
- out[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
+ out[0] = static_cast<char16_t>(0xD7FF + ((c - 0x10000) >> 10));
@@ platform-home-unset-no-account platform/app_data_folder.cpp
- home = found != nullptr ? entry.pw_dir : nullptr;
+ home = nullptr;
@@ gps-ellipsoid-dropped gps/gps_port.cpp
- port->ellipsoid = ellipsoid;
+ port->ellipsoid = 0;
@@ gps-enumerator-held-port-listed gps/settings_enumerator.cpp
- if (probe == kInvalidSerialPort) continue;
+ if (probe == kInvalidSerialPort && false) continue;
@@ display-threshold-strict display/fix_display.cpp
- std::fabs(value - last) >= threshold
+ std::fabs(value - last) > threshold
@@ display-altitude-threshold display/fix_display.cpp
- kAltitudeThreshold = 0.1;
+ kAltitudeThreshold = 1.0;
@@ display-angle-threshold display/fix_display.cpp
- kAngleThreshold = 0.0001;
+ kAngleThreshold = 0.001;
@@ display-altitude-no-waypoint display/fix_display.cpp
- kWaypointChanges = CHANGE_ALTITUDE | CHANGE_LATITUDE | CHANGE_LONGITUDE;
+ kWaypointChanges = CHANGE_LATITUDE | CHANGE_LONGITUDE;
@@ display-negative-zero-shown display/fix_display.cpp
- FormatReadout(text, positive, value + 0.0);
+ FormatReadout(text, positive, value);
@@ display-last-altitude-kept display/fix_display.cpp
- display->last_altitude = altitude;
+ 
@@ display-control-ids-swapped display/fix_display.cpp
- {CHANGE_NORTHING, IDC_NORTHING, display->northing_text},
+ {CHANGE_NORTHING, IDC_EASTING, display->northing_text},
@@ display-refresh-unlocked display/fix_display.cpp
- if (LockEnter(&display->values_lock) != 0) return;
  const struct {
+ const struct {
- LockLeave(&display->values_lock);
}
+ }
@@ gpx-waypoint-flush-removed gpx/gpx_recorder.cpp
- fflush(file) == 0) {
+ true) {
@@ gpx-header-flush-removed gpx/gpx_recorder.cpp
- fflush(file) == 0;
+ true;
@@ gpx-header-flush-removed gpx/gpx_recorder.cpp
- bytes) &&
         fflush(file) == 0;
+ bytes);
@@ gpx-bounds-not-updated gpx/gpx_recorder.cpp
- UpdateBounds(recorder, latitude, longitude);
+ 
@@ gpx-bounds-min-as-max gpx/gpx_recorder.cpp
- if (latitude < recorder->min_latitude) recorder->min_latitude = latitude;
+ if (latitude > recorder->min_latitude) recorder->min_latitude = latitude;
@@ gpx-numbering-stuck gpx/gpx_recorder.cpp
- ++recorder->waypoint_count;
+ 
@@ gpx-append-unlocked gpx/gpx_recorder.cpp
- if (LockEnter(&recorder->lock) != 0) return 0;
+ 
- if (LockLeave(&recorder->lock) != 0) result = 0;
+ 
@@ gpx-locale-comma-kept gpx/gpx_recorder.cpp
- if (comma != nullptr) *comma = '.';
+ 
@@ gpx-path-limit-off-by-one gpx/gpx_recorder.cpp
- static_cast<size_t>(length) > kPathBytes
+ static_cast<size_t>(length) >= kPathBytes
@@ gpx-path-limit-off-by-one gpx/gpx_recorder.cpp
- length > kMaxPathChars
+ length >= kMaxPathChars
@@ config-fsync-removed config/port_config.cpp
- WriteImage(fd, image) && fsync(fd) == 0;
+ WriteImage(fd, image);
@@ config-big-endian-read config/port_config.cpp
- static_cast<char16_t>(image[offset] | image[offset + 1] << 8)
+ static_cast<char16_t>(image[offset] << 8 | image[offset + 1])
@@ config-short-file-accepted config/port_config.cpp
- if (got == kImageBytes) return 1;
+ if (got > 0) return 1;
@@ config-path-room-off-by-one config/port_config.cpp
- name_length + 5 >= kPathChars
+ name_length + 5 > kPathChars
@@ config-path-room-off-by-one config/port_config.cpp
- name_length + 5 >= kMaxPathChars
+ name_length + 5 > kMaxPathChars
@@ config-link-replaced config/port_config.cpp
- realpath(path, target) != nullptr ? target : path;
+ path;
@@ config-link-replaced config/port_config.cpp
- *destination = target;
+ *destination = path;
@@ config-extension config/port_config.cpp
- kConfigExtension[] = u".cfg";
+ kConfigExtension[] = u".cf";
@@ app-string-id-swapped app/app_strings.cpp
- {IDS_CANT_CLOSE_PORT, strings->cant_close_port, kMessageChars},
+ {IDS_CANT_OPEN_PORT, strings->cant_close_port, kMessageChars},
@@ app-stop-keeps-stop-enabled app/commands.cpp
- SetBits(app, MENU_START, MENU_STOP);
+ SetBits(app, MENU_START, 0);
@@ app-quit-forgets-config app/commands.cpp
- SavePortConfig(&app->config);
+ 
@@ app-start-no-keep-awake app/commands.cpp
- shell->StartKeepAwakeTimer();
+ 
@@ app-quit-twice app/commands.cpp
- app->quit_done = true;
+ 
@@ app-record-menu-bit app/widgets/menu_state.cpp
- return MENU_RECORD;
+ return MENU_STOP_RECORDING;
@@ app-save-filter-length app/app_strings.cpp
- strings->save_filter_length = count;
+ strings->save_filter_length = count - 1;
@@ app-readout-fit-skipped app/widgets/template_builder.cpp
- needed = qMax(needed, least);
+ (void)least;
@@ app-preselect-by-position app/config_dialog.cpp
- int selection = list->findText(QString::fromUtf16(config_->text[setting]), Qt::MatchExactly);
+ int selection = -1;
@@ tools-csv-column-order tools/decode/csv_rows.cpp
- fix.time, fix.latitude, fix.longitude,
+ fix.time, fix.longitude, fix.latitude,
@@ tools-missing-file-status tools/decode/main.cpp
- error == ENOENT ? kExitMissingFile : kExitUsage;
+ kExitUsage;
@@ tools-count-default tools/decode/decode_options.h
- int64_t count = 0;
+ int64_t count = 1;
@@ tools-ellipsoid-range tools/decode/decode_options.cpp
- ParseInt(value, 0, kEllipsoidCount - 1, &options->ellipsoid)
+ ParseInt(value, 0, kEllipsoidCount, &options->ellipsoid)
@@ tools-ellipsoid-range tools/decode/decode_options.cpp
- ParseInteger(value, 0, kEllipsoidCount - 1, &number)
+ ParseInteger(value, 0, kEllipsoidCount, &number)
@@ tools-int-trailing-text tools/decode/decode_options.cpp
- if (*end != '\0' || errno != 0 || parsed < low
+ if (errno != 0 || parsed < low
@@ tools-int-trailing-text tools/parse_integer.cpp
- if (*end != '\0' || errno != 0 || parsed < low
+ if (errno != 0 || parsed < low
@@ tools-readout-bits-decimal tools/decode/readout_output.cpp
- "%02x", changes
+ "%02u", changes
@@ tools-sim-checksum tools/sim/nmea_walk.cpp
- sum ^= static_cast<unsigned char>(c);
+ sum += static_cast<unsigned char>(c);
@@ tools-replay-comments-kept tools/sim/capture_bursts.cpp
- if (line[0] == '#') continue;
+ 
FAULTS
