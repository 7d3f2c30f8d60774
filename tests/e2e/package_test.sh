#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and starts tavik from there:
# the files are where desktops look for them, and the installed program runs.
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
tavik_pid=
trap '[ -z "$tavik_pid" ] || kill -KILL "$tavik_pid" 2>/dev/null; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$scratch" && cpack --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
dpkg-deb -x "$scratch"/*.deb "$scratch/root"
usr=$scratch/root/usr
ls "$(find "$usr/lib" -name tavik0407.dll)" "$usr"/bin/tavik-{decode,sim} \
  "$usr"/share/icons/hicolor/{16x16,32x32,64x64}/apps/tavik.png >/dev/null || fail "not installed"
desktop-file-validate "$usr/share/applications/org.tavik.tavik.desktop" || fail "desktop entry"

# Its own runtime folder keeps a tavik the user has open, or one of a parallel test, from
# answering for it.
xdpyinfo >/dev/null 2>&1 || { echo "SKIP: no X server for the installed program"; exit 77; }
mkdir -m 0700 "$scratch/runtime"
env -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
  "$usr/bin/tavik" &
tavik_pid=$!
timeout 30 sh -c "until xdotool search --all --pid $tavik_pid --class tavik >/dev/null 2>&1; do
  sleep 0.1; done" || fail "no window"
kill -TERM "$tavik_pid"
wait "$tavik_pid" || fail "tavik ended with $? on SIGTERM"
tavik_pid=
