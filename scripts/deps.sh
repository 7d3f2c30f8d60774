#!/usr/bin/env bash
# Installs the Debian packages tavik needs to build, run and test, when missing.
set -euo pipefail

build_packages=(cmake g++ make pkg-config qt6-base-dev libxcb1-dev libxcb-dpms0-dev
  libxcb-screensaver0-dev)
run_packages=(qt6-translations-l10n qt6-wayland)
test_packages=(ccache libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev
  socat xvfb xdotool xclip xprintidle x11-utils gpsbabel locales dbus time
  util-linux dpkg-dev file desktop-file-utils appstream python3-dbusmock weston qt6-wayland gpsd
  python3-pyatspi at-spi2-core)

case "${1:-test}" in
  build) wanted=("${build_packages[@]}") ;;
  run) wanted=("${build_packages[@]}" "${run_packages[@]}") ;;
  test) wanted=("${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [build|run|test]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    missing+=("$package")
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# The read-outs are checked under a locale that writes a decimal comma.
if [ "${1:-test}" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
