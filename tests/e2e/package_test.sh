#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs tavik from there:
# the files are where desktops look for them, and the German module beside the
# installed program is found.
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
tavik_pid=
cleanup() {
  [ -n "$tavik_pid" ] && kill -KILL "$tavik_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$scratch" && cpack --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/*.deb)
control=$(dpkg-deb -I "$deb")
for package in libqt6widgets6 qt6-wayland; do
  grep -q "Depends: .*$package" <<<"$control" || fail "no dependency on $package"
done
root=$scratch/root
dpkg-deb -x "$deb" "$root"

usr=$root/usr
program=$(find "$usr/lib" -path '*/tavik/tavik' -type f)
[ -x "$program" ] || fail "no installed program"
[ "$(readlink -f "$usr/bin/tavik")" = "$(readlink -f "$program")" ] || fail "bin/tavik link"
for file in "$(dirname "$program")/tavik0407.dll" "$usr"/bin/tavik-{decode,sim} \
  "$usr"/share/man/man1/tavik{,-decode,-sim}.1 \
  "$usr"/share/icons/hicolor/{16x16,32x32,64x64}/apps/tavik.png; do
  [ -f "$file" ] || fail "not installed: $file"
done
desktop-file-validate "$usr/share/applications/org.tavik.tavik.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$usr/share/metainfo/org.tavik.tavik.metainfo.xml" \
  >/dev/null || fail "metainfo"

decoded=$("$usr/bin/tavik-decode" <<<'$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47')
grep -q '^123519.000000000,48.117300000,' <<<"$decoded" || fail "installed tavik-decode"

# The installed program in German: the module is loaded from beside it. Its own runtime
# folder keeps a tavik the user has open, or one of a parallel test, from answering for it.
if ! xdpyinfo >/dev/null 2>&1; then
  echo "SKIP: no X server for the installed program"
  exit 77
fi
config_home=$scratch/config runtime=$scratch/runtime
mkdir -p "$config_home" && mkdir -m 0700 "$runtime"
env -u QT_QPA_PLATFORMTHEME -u WAYLAND_DISPLAY LANG=de_DE.UTF-8 LC_ALL= LC_MESSAGES= \
  LD_DEBUG=files XDG_CONFIG_HOME="$config_home" XDG_RUNTIME_DIR="$runtime" \
  "$usr/bin/tavik" 2>"$scratch/tavik.err" &
tavik_pid=$!
for _ in $(seq 100); do
  xdotool search --all --pid "$tavik_pid" --class tavik >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --all --pid "$tavik_pid" --class tavik >/dev/null 2>&1 || fail "no window"
kill -TERM "$tavik_pid"
status=0
wait "$tavik_pid" || status=$?
tavik_pid=
[ "$status" -eq 0 ] || fail "tavik ended with $status on SIGTERM"
grep -q "file=$(dirname "$program")/tavik0407.dll" "$scratch/tavik.err" ||
  fail "the German module was not loaded"
[ "$(stat -c %s "$config_home/tavik.cfg")" -eq 330 ] || fail "configuration not saved"
echo "package ok"
