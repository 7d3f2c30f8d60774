#!/usr/bin/env bash
# Installs the Debian packages tavik needs to build, run and test, when missing. It
# changes nothing else: services of the packages it installs are neither started nor
# enabled (the tests start their own gpsd and buses), and a locale the tests need is
# generated only when it is missing.
set -euo pipefail

build_packages=(cmake g++ make pkg-config qt6-base-dev libxcb1-dev libxcb-dpms0-dev
  libxcb-screensaver0-dev)
run_packages=(qt6-translations-l10n qt6-wayland)
test_packages=(ccache libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev
  socat xvfb xdotool xclip xprintidle x11-utils gpsbabel locales dbus time
  util-linux dpkg-dev file desktop-file-utils appstream python3-dbusmock weston gpsd
  python3-pyatspi at-spi2-core lintian)

case "${1:-test}" in
  build) wanted=("${build_packages[@]}") ;;
  run) wanted=("${build_packages[@]}" "${run_packages[@]}") ;;
  test) wanted=("${build_packages[@]}" "${run_packages[@]}" "${test_packages[@]}") ;;
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

# The systemd units enabled now (none where systemd is not installed).
enabled_units() {
  if command -v systemctl >/dev/null; then
    systemctl list-unit-files --state=enabled --no-legend 2>/dev/null | awk '{print $1}' | sort
  fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing ${#missing[@]} packages: ${missing[*]}"
  started=$SECONDS
  units_before=$(enabled_units)
  # Services are not started during the install: invoke-rc.d asks policy-rc.d, and 101
  # means "not allowed". A policy already in place is left as it is.
  policy=/usr/sbin/policy-rc.d own_policy=0
  if [ ! -e "$policy" ]; then
    own_policy=1
    trap 'as_root rm -f "$policy"' EXIT
    printf '#!/bin/sh\nexit 101\n' | as_root tee "$policy" >/dev/null
    as_root chmod 755 "$policy"
  fi
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
  if [ "$own_policy" = 1 ]; then
    as_root rm -f "$policy"
    trap - EXIT
  fi
  # What the install enabled (gpsd's socket, for one) is disabled again; a unit that was
  # enabled before, or a gpsd already running, is left alone.
  for unit in $(comm -13 <(echo "$units_before") <(enabled_units)); do
    echo "Disabling $unit, which installing enabled"
    as_root systemctl disable --quiet "$unit"
  done
  echo "Installed in $((SECONDS - started)) s"
fi

# The read-outs are checked under a locale that writes a decimal comma. Only that locale
# is generated, and listed in /etc/locale.gen so that a later locale-gen keeps it.
if [ "${1:-test}" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the locale de_DE.UTF-8, which the tests need"
  as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root localedef -i de_DE -c -f UTF-8 -A /usr/share/locale/locale.alias de_DE.UTF-8
fi
