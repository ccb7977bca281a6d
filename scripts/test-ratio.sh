#!/usr/bin/env bash
# Non-blank lines of C++ (.cpp and .h) in tests against the rest of the program.
# Tests: tests/, core/testing/ (the fakes) and fuzz/ (the fuzz harnesses).
# Program: every other .cpp/.h of the repository; build folders and .git are left out.
# The project keeps the ratio at 0.35 or below.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    if [ "$#" -eq 0 ]; then echo 0; return; fi
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r cat | grep -cv '^\s*$' || true
}

test_dirs=()
for d in tests core/testing fuzz; do [ -d "$d" ] && test_dirs+=("$d"); done
tests=$(count "${test_dirs[@]}")
program=$(find . \( -path ./.git -o -path './build*' -o -path ./tests -o -path ./core/testing -o -path ./fuzz \) -prune \
              -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r cat | grep -cv '^\s*$' || true)
ratio=$(awk -v t="$tests" -v p="$program" 'BEGIN { if (p > 0) printf "%.3f", t / p; else print "n/a" }')
echo "tests:   $tests"
echo "program: $program"
echo "ratio:   $ratio"
