#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and starts tavik from there:
# the files are where desktops look for them, the installed programs run, and the German
# module beside the installed program is found.
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
tavik_pid=
trap '[ -z "$tavik_pid" ] || kill -KILL "$tavik_pid" 2>/dev/null; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$scratch" && cpack --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/*.deb)
for package in libqt6widgets6 qt6-wayland; do
  dpkg-deb -f "$deb" Depends | grep -q "$package" || fail "no dependency on $package"
done
dpkg-deb -x "$deb" "$scratch/root"
usr=$scratch/root/usr
ls "$(find "$usr/lib" -name tavik0407.dll)" "$usr"/bin/tavik-{decode,sim} \
  "$usr"/share/icons/hicolor/{16x16,32x32,64x64}/apps/tavik.png >/dev/null || fail "not installed"
desktop-file-validate "$usr/share/applications/org.tavik.tavik.desktop" || fail "desktop entry"
"$usr/bin/tavik-decode" <<<'$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47' |
  grep -q '^123519.000000000,48.117300000,' || fail "installed tavik-decode"

# Its own runtime folder keeps a tavik the user has open, or one of a parallel test, from
# answering for it.
xdpyinfo >/dev/null 2>&1 || { echo "SKIP: no X server for the installed program"; exit 77; }
mkdir -m 0700 "$scratch/runtime"
env -u WAYLAND_DISPLAY LANG=de_DE.UTF-8 LC_ALL= LC_MESSAGES= LD_DEBUG=files \
  XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" "$usr/bin/tavik" \
  2>"$scratch/tavik.err" &
tavik_pid=$!
timeout 30 sh -c "until xdotool search --all --pid $tavik_pid --class tavik >/dev/null 2>&1; do
  sleep 0.1; done" || fail "no window"
kill -TERM "$tavik_pid"
wait "$tavik_pid" || fail "tavik ended with $? on SIGTERM"
tavik_pid=
grep -q "file=.*/tavik0407.dll" "$scratch/tavik.err" || fail "the German module was not loaded"
[ "$(stat -c %s "$scratch/config/tavik.cfg")" -eq 330 ] || fail "configuration not saved"
