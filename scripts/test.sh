#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test; then
# builds and checks the Debian package and the Windows build of the core, runs the
# core and command-line suites again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and replays every fuzz corpus once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# Widget tests need no display.
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
bash scripts/test-package.sh build
bash scripts/test-windows.sh build-win

# Any memory error, leak or undefined behaviour fails the test that ran into it.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNEVA_SANITIZE=ON
cmake --build build-asan -j"$(nproc)" --target neva_core_cli_tests
# The network suite (a minute and a half of real time-outs) runs once, in the main build.
ctest --test-dir build-asan -R '^(core|cli)_' -E '^cli_network$' --output-on-failure

# The fuzz corpora, each input once (regression only; scripts/fuzz.sh fuzzes).
if command -v clang++ >/dev/null; then
  CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNEVA_BUILD_FUZZ=ON
  cmake --build build-fuzz -j"$(nproc)"
  ctest --test-dir build-fuzz --output-on-failure
else
  echo "test.sh: no clang++, so the fuzz corpora were not replayed" >&2
fi
