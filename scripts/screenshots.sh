#!/usr/bin/env bash
# Makes the screenshots of the user guide and of docs/ by driving NEVA Setup against
# the relay simulator on a virtual display, so that they can be made again after a
# change to a window:
#
#   bash scripts/screenshots.sh          (starts its own virtual display)
#
# It writes docs/guide/img/*.png, docs/setpage6-1.5x.png and
# docs/communication-error.png. NEVA_BUILD_DIR chooses the build directory
# (default: build). Needs xvfb, xdotool and imagemagick (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${NEVA_SHOTS_INNER:-}" ]; then
  build="${NEVA_BUILD_DIR:-build}"
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" --target neva-setup neva-relay-sim
  NEVA_SHOTS_INNER=1 exec xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" "$@"
fi

build="${NEVA_BUILD_DIR:-build}"
img=docs/guide/img
mkdir -p "$img"
work="$(mktemp -d)"
# The program's own settings and modem string go to a throw-away folder.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
sim_pid="" app_pid=""
stop() {
  [ -n "$app_pid" ] && { kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; }
  [ -n "$sim_pid" ] && { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
  app_pid="" sim_pid=""
}
trap 'stop; rm -rf "$work"' EXIT

# start_sim [fault options...]: the simulator on a pseudo-terminal, COM 1 mapped to it.
start_sim() {
  "$build/bin/neva-relay-sim" --quiet --event-every 0 "$@" >"$work/sim.out" &
  sim_pid=$!
  for _ in $(seq 1 100); do
    NEVA_COM1="$(head -n 1 "$work/sim.out" 2>/dev/null || true)"
    [ -n "$NEVA_COM1" ] && break
    sleep 0.1
  done
  export NEVA_COM1
}

# start_app SCALE [arguments...]: the program, and the wait for its main window.
start_app() {
  local scale="$1"; shift
  QT_SCALE_FACTOR="$scale" "$build/bin/neva-setup" "$@" >/dev/null 2>&1 &
  app_pid=$!
  local wid
  wid="$(xdotool search --sync --name "NEVA Setup 2.0" | head -n 1)"
  sleep 3
  # There is no window manager on the virtual display: give the window the keyboard.
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
}

# keys KEY...: typed into the active window, with time for the program to answer.
keys() {
  local id
  for k in "$@"; do
    # A page that opened takes the keyboard; without a window manager it is given it here.
    id="$(xdotool getactivewindow 2>/dev/null || true)"
    [ -n "$id" ] && { xdotool windowfocus "$id" 2>/dev/null || true; }
    xdotool key --clearmodifiers "$k"; sleep 0.6
  done
  sleep 2
}

# shot NAME: the active window (or the whole screen) as NAME.
shot() {
  local id
  id="$(xdotool getactivewindow 2>/dev/null || true)"
  if [ -n "$id" ]; then import -window "$id" "$1"; else import -window root "$1"; fi
  echo "wrote $1"
}

# page_shot FILE KEY...: connected at once, as a launcher starts the program, the
# keys typed, the active window taken. A fresh program for each, so that no page is
# left open over the next.
page_shot() {
  local file="$1"; shift
  start_sim
  start_app 1 "9600,N,8,1 1 1"
  [ $# -gt 0 ] && keys "$@"
  shot "$file"
  stop
}
page_shot "$img/main-window.png"
page_shot "$img/setpage6.png" alt+s p
page_shot "$img/setpage2.png" alt+s y
page_shot "$img/metering.png" alt+v m
page_shot "$img/events.png" alt+v e

# The phase and ground page at 1.5 times, where it must scroll rather than run off the screen.
start_sim
start_app 1.5 "9600,N,8,1 1 1"
keys alt+s p
shot docs/setpage6-1.5x.png
cp docs/setpage6-1.5x.png "$img/setpage6-1.5x.png"
stop

# A normal start, offline, and the connection dialog (F5).
start_sim
start_app 1
keys F5
shot "$img/connection.png"
stop

# A relay whose every answer is damaged: " Communication Error..." and its cause.
start_sim --bad-crc-every 1
start_app 1 "9600,N,8,1 1 1"
xdotool search --sync --name "^Communication Error$" windowactivate >/dev/null 2>&1 || true
sleep 1
shot docs/communication-error.png
cp docs/communication-error.png "$img/communication-error.png"
stop
