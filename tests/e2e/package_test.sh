#!/usr/bin/env bash
# Builds the Debian package, checks it as Debian's archive would (lintian) and installs it
# into a scratch root: the files are where desktops look for them, the installed programs
# run, and the German module beside the installed program is found.
#   package_test.sh BUILD_DIR DATA_DIR
set -euo pipefail
build_dir=$1 data_dir=$2
scratch=$(mktemp -d)
tavik_pid= xvfb_pid=
# (set -e holds in the trap too: a kill of a program already gone must not end it early.)
trap 'for pid in $tavik_pid $xvfb_pid; do kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true; done; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$scratch" && cpack --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/*.deb)
for package in libqt6widgets6 qt6-wayland; do
  dpkg-deb -f "$deb" Depends | grep -q "$package" || fail "no dependency on $package"
done
dpkg-deb -f "$deb" Recommends | grep -q qt6-translations-l10n || fail "Qt's translations not recommended"

# No error or warning, and the programs hardened (lintian tells missing hardening as I:).
command -v lintian >/dev/null || fail "lintian is not installed (scripts/deps.sh test installs it)"
status=0
TMPDIR=$scratch lintian --pedantic --display-info "$deb" >"$scratch/lintian.log" 2>&1 || status=$?
grep -v '^running with root' "$scratch/lintian.log" || true
[ "$status" -le 1 ] || fail "lintian did not run ($status)"
if grep -qE '^[EW]: |^I: .*hardening-' "$scratch/lintian.log"; then fail "lintian"; fi

dpkg-deb -x "$deb" "$scratch/root"
usr=$scratch/root/usr
ls "$usr"/libexec/tavik/tavik0407.dll "$usr"/bin/tavik-{decode,sim} \
  "$usr"/share/icons/hicolor/{16x16,32x32,64x64}/apps/tavik.png >/dev/null || fail "not installed"
desktop-file-validate "$usr/share/applications/org.tavik.tavik.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/org.tavik.tavik.metainfo.xml" >/dev/null ||
  fail "AppStream metadata"
# The installed tavik-decode on a real capture gives the rows the built one gives.
capture=$data_dir/nmea/haicom-305N.log
"$usr/bin/tavik-decode" "$capture" >"$scratch/installed.csv" || fail "installed tavik-decode"
"$build_dir/bin/tavik-decode" "$capture" >"$scratch/built.csv"
[ "$(wc -l <"$scratch/installed.csv")" -gt 70 ] && cmp -s "$scratch"/{installed,built}.csv ||
  fail "installed tavik-decode: rows differ from those of the build"

# The installed tavik tells its version without any display, as the built one does.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/tavik" --version) || fail "tavik --version"
[ "$version" = "$("$build_dir/bin/tavik" --version)" ] && [[ $version == "tavik "[0-9]* ]] ||
  fail "installed tavik --version says '$version'"

# The installed tavik on an X server of the test's own (Xvfb picks a free display), with
# its own runtime folder, so that a tavik the user has open, or one of a parallel test,
# does not answer for it.
command -v Xvfb >/dev/null || { echo "SKIP: needs Xvfb for the installed program"; exit 77; }
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
xvfb_pid=$!
timeout 20 sh -c "until [ -s '$scratch/display' ]; do sleep 0.1; done" || fail "no X server"
mkdir -m 0700 "$scratch/runtime"
env -u WAYLAND_DISPLAY DISPLAY=":$(cat "$scratch/display")" LANG=de_DE.UTF-8 LC_ALL= \
  LC_MESSAGES= LD_DEBUG=files XDG_CONFIG_HOME="$scratch/config" \
  XDG_RUNTIME_DIR="$scratch/runtime" "$usr/bin/tavik" 2>"$scratch/tavik.err" &
tavik_pid=$!
DISPLAY=":$(cat "$scratch/display")" timeout 30 sh -c "until xdotool search --all --pid \
  $tavik_pid --class tavik >/dev/null 2>&1; do kill -0 $tavik_pid || exit 1; sleep 0.1; done" ||
  { grep -v '^ *[0-9]*:' "$scratch/tavik.err" >&2; fail "no window"; }
kill -TERM "$tavik_pid"
wait "$tavik_pid" || fail "tavik ended with $? on SIGTERM"
tavik_pid=
grep -q "file=$usr/libexec/tavik/tavik0407.dll" "$scratch/tavik.err" ||
  fail "the German module beside the installed program was not loaded"
[ "$(stat -c %s "$scratch/config/tavik.cfg")" -eq 330 ] || fail "configuration not saved"
