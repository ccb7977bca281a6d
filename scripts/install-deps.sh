#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the fuzz targets and the
# simulator need.
# Safe to run again: it only calls apt-get when something is missing.
#
#   bash scripts/install-deps.sh          what building and running needs
#   bash scripts/install-deps.sh --test   also the package checks (lintian, desktop
#                                         and AppStream validators) and the Windows
#                                         cross build of the core with Wine to run it
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins
  libqt6sql6-sqlite poppler-utils
  qt6-charts-dev libqt6charts6
  libmodbus-dev
  xvfb xauth x11-utils imagemagick socat xdotool
  locales
  help2man dpkg-dev file
  mbpoll
)
if [ "${1:-}" = "--test" ]; then
  PACKAGES+=(
    lintian desktop-file-utils appstream
    g++-mingw-w64-x86-64-posix wine wine64
  )
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# The tests read and write relay numbers under a comma-decimal locale, which the
# program must not follow: generate es_ES.UTF-8 once (kept in /etc/locale.gen so
# that a later locale-gen keeps it too).
if ! locale -a 2>/dev/null | grep -qix 'es_ES\.utf-\?8'; then
  echo "Generating the es_ES.UTF-8 locale"
  if grep -q '^# *es_ES.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *\(es_ES.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^es_ES.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'es_ES.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen
fi
