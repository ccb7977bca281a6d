#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the fuzz targets and the
# simulator need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins
  libmodbus-dev
  xvfb xauth x11-utils imagemagick socat
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
