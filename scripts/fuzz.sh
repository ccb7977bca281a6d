#!/usr/bin/env bash
# Runs one fuzz target for a long campaign under AddressSanitizer and
# UndefinedBehaviorSanitizer:
#   bash scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is one of fuzz/*.cpp without the extension (link_answer, setpoint_file,
# register_map, command_line, numeric_entry, cli_arguments). New inputs that reach
# new code go to build-fuzz/corpus/TARGET (the committed seeds in fuzz/corpus/TARGET
# are only read); a crash or a failed check is written to build-fuzz/findings/.
# Every finding, once fixed, belongs in fuzz/corpus/TARGET so that the test command
# replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  echo "usage: bash scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]" >&2
  echo "targets: $(cd fuzz && ls ./*.cpp | sed 's#^\./##; s#\.cpp$##' | tr '\n' ' ')" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
if [ ! -f "fuzz/$target.cpp" ]; then
  echo "fuzz.sh: no fuzz target '$target' (fuzz/$target.cpp)" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: the fuzz targets need clang; run scripts/install-deps.sh first" >&2
  exit 2
fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CXX=clang++ cmake -S . -B build-fuzz -DNEVA_BUILD_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "fuzz_$target"

mkdir -p "build-fuzz/corpus/$target" build-fuzz/findings
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
exec "build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$target-" "$@" \
  "build-fuzz/corpus/$target" "fuzz/corpus/$target"
