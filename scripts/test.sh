#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test, then
# builds and checks the Debian package and the Windows build of the core.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# Widget tests need no display.
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
bash scripts/test-package.sh build
bash scripts/test-windows.sh build-win
