#!/usr/bin/env bash
# The core library and its tests for Windows: cross-built with Debian's MinGW-w64
# and run under Wine, so that the Windows branches (drive-letter paths, COM<n> port
# names, the local clock) are tried here too. Skipped when the cross compiler is
# missing; a build without Wine stops after the build.
#
#   bash scripts/test-windows.sh [BUILD_DIR]     (default: build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-win}"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "test-windows: MinGW-w64 is not installed: skipped (bash scripts/install-deps.sh --test installs it)"
  exit 0
fi
[ -d /usr/src/googletest ] || { echo "test-windows: /usr/src/googletest is missing (libgtest-dev)" >&2; exit 1; }

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DNEVA_BUILD_GUI=OFF -DNEVA_BUILD_SIM=OFF -DNEVA_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build "$build" -j"$(nproc)"

if ! command -v wine >/dev/null; then
  echo "test-windows: Wine is not installed: cross build only, the tests were not run"
  exit 0
fi
# A Wine configuration of our own inside the build folder; its server is stopped at the end.
export WINEPREFIX="$PWD/$build/wine-prefix" WINEDEBUG=-all
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
wineboot --init >/dev/null 2>&1 || true
ctest --test-dir "$build" --output-on-failure --timeout 300
