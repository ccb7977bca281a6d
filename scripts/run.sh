#!/usr/bin/env bash
# Builds NEVA Setup and the relay simulator, starts the simulator on a
# pseudo-terminal and NEVA Setup talking to it: COM 1 is the simulator, and the
# program is started the way a launcher starts it ("9600,N,8,1 1 1"), so it
# connects at once and shows the relay's status.
#
#   bash scripts/run.sh            connected at once (external start)
#   bash scripts/run.sh --normal   normal start: splash, offline; connect with
#                                  Setup > Communication (F5), ON
#
# NEVA_BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=external
case "${1:-}" in
  "") ;;
  --normal) mode=normal ;;
  -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
  *) echo "run.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
esac

build="${NEVA_BUILD_DIR:-build}"

bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target neva-setup neva-relay-sim

# Everything is built; a window needs a display.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
There is no display to show NEVA Setup on (DISPLAY is not set).
Run it on a virtual display instead:

    xvfb-run -a -s "-screen 0 1280x900x24" bash scripts/run.sh

(xvfb-run comes with the xvfb package, which scripts/install-deps.sh installs.)
MSG
  exit 1
fi

sim_out="$(mktemp)"
"$build/bin/neva-relay-sim" --quiet >"$sim_out" &
sim_pid=$!
cleanup() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -f "$sim_out"
}
trap cleanup EXIT

# The simulator prints the pseudo-terminal it opened as its first line.
pty=""
for _ in $(seq 1 100); do
  pty="$(head -n 1 "$sim_out" 2>/dev/null || true)"
  [ -n "$pty" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$pty" ]; then
  echo "run.sh: the relay simulator did not start" >&2
  exit 1
fi
echo "Relay simulator at address 1 on $pty (NEVA Setup's COM 1)"

if [ "$mode" = external ]; then
  NEVA_COM1="$pty" "$build/bin/neva-setup" "9600,N,8,1 1 1"
else
  NEVA_COM1="$pty" "$build/bin/neva-setup"
fi
