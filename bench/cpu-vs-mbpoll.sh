#!/usr/bin/env bash
# CPU time of neva-setup polling the relay's status at 9600 baud against that of
# mbpoll polling the same registers (input registers 0x0203.., 6 of them) at its
# shortest poll rate, one after the other on the same simulator, for the same time.
# Prints CPU seconds, requests answered and CPU per request for both, and the ratio.
# Each program is measured over the window after a 5 s warm-up (start-up, the
# connect sequence), so the figures are those of polling alone.
#
# Usage: bench/cpu-vs-mbpoll.sh [SECONDS] [BUILD_DIR]     (default 60, build)
# Needs mbpoll (scripts/install-deps.sh installs it). neva-setup runs on the
# offscreen platform, started as a launcher starts it ("9600,N,8,1 1 1"): it
# connects at once and polls the status while its window shows it.
set -euo pipefail
SECONDS_EACH=${1:-60}
BUILD=${2:-build}
BIN="$BUILD/bin"
command -v mbpoll >/dev/null || { echo "mbpoll is not installed (bash scripts/install-deps.sh)" >&2; exit 1; }
[ -x "$BIN/neva-setup" ] && [ -x "$BIN/neva-relay-sim" ] || { echo "build neva-setup and neva-relay-sim first" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill "${sim_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

# The simulator logs every request on standard error: the count of status reads
# in each phase is the work each program got done.
"$BIN/neva-relay-sim" --event-every 0 --baud 9600 >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -1 "$work/sim.out")

ticks=$(getconf CLK_TCK)
cpu_of() {  # user + system CPU seconds of a live process
  awk -v t="$ticks" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$1/stat"
}
status_reads() { grep -c "function 04 0203" "$work/sim.log" || true; }

export XDG_CONFIG_HOME="$work/config" HOME="$work"
WARMUP=5
# measure PID: CPU seconds and status reads over the window after the warm-up.
measure() {
  sleep "$WARMUP"
  local cpu0 reads0 cpu1
  cpu0=$(cpu_of "$1"); reads0=$(status_reads)
  sleep "$SECONDS_EACH"
  cpu1=$(cpu_of "$1")
  echo "$(awk -v a="$cpu0" -v b="$cpu1" 'BEGIN { printf "%.2f", b - a }') $(( $(status_reads) - reads0 ))"
  kill "$1"; wait "$1" 2>/dev/null || true
}

NEVA_COM1="$pty" QT_QPA_PLATFORM=offscreen "$BIN/neva-setup" "9600,N,8,1 1 1" >/dev/null 2>&1 &
read -r neva_cpu neva_reads < <(measure $!)

sleep 1
mbpoll -m rtu -a 1 -b 9600 -P none -t 3 -0 -r 515 -c 6 -l 10 -q "$pty" >/dev/null 2>&1 &
read -r mb_cpu mb_reads < <(measure $!)

echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-10s %8s %14s %16s\n" program "CPU s" "status reads" "CPU ms per read"
awk -v c="$neva_cpu" -v r="$neva_reads" 'BEGIN { printf "%-10s %8.2f %14d %16.3f\n", "neva-setup", c, r, r ? c * 1000 / r : 0 }'
awk -v c="$mb_cpu" -v r="$mb_reads" 'BEGIN { printf "%-10s %8.2f %14d %16.3f\n", "mbpoll", c, r, r ? c * 1000 / r : 0 }'
awk -v a="$neva_cpu" -v b="$mb_cpu" 'BEGIN { if (b > 0) printf "CPU time neva-setup / mbpoll: %.2f\n", a / b }'
