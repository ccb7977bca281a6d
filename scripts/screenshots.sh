#!/usr/bin/env bash
# Makes the screenshots of the user guide and of docs/ by driving NEVA Setup against
# the relay simulator on a virtual display, so that they can be made again after a
# change to a window:
#
#   bash scripts/screenshots.sh          (starts its own virtual display)
#
# It writes docs/guide/img/*.png (the main window, pages, the connection dialog, Find
# Relay, the line monitor, the current trend), docs/setpage6-1.5x.png and
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
  # The file of the last simulator goes first: its path would map COM 1 to a
  # pseudo-terminal that is gone, or that another program has opened since.
  rm -f "$work/sim.out"
  "$build/bin/neva-relay-sim" --quiet --event-every 0 "$@" >"$work/sim.out" &
  sim_pid=$!
  NEVA_COM1=""
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
  xdotool search --sync --name "NEVA Setup 2.0" >/dev/null
  sleep 3
  # The splash screen bears the same title: the main window is the widest of them.
  local wid="" widest=0 id w
  for id in $(xdotool search --onlyvisible --name "NEVA Setup 2.0"); do
    w="$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^WIDTH=//p')"
    if [ "${w:-0}" -gt "$widest" ]; then widest="$w"; wid="$id"; fi
  done
  # There is no window manager on the virtual display: give the window the keyboard.
  [ -n "$wid" ] && { xdotool windowfocus --sync "$wid" 2>/dev/null || true; }
}

# focused: the window that has the keyboard. There is no window manager on the virtual
# display, so no "active window" either; Qt gives the keyboard to each window it opens.
focused() {
  local id
  id="$(xdotool getwindowfocus 2>/dev/null || true)"
  # Before any window has had the keyboard the server reports PointerRoot (1).
  if [ -n "$id" ] && [ "$id" -gt 1 ] 2>/dev/null; then echo "$id"; fi
}

# keys KEY...: typed into the window that has the keyboard, with time for the program to answer.
keys() {
  local id
  for k in "$@"; do
    id="$(focused)"
    [ -n "$id" ] && { xdotool windowfocus "$id" 2>/dev/null || true; }
    xdotool key --clearmodifiers "$k"; sleep 0.6
  done
  sleep 2
}

# shot NAME [TITLE]: the window titled TITLE, else the one with the keyboard (else the
# whole screen), as NAME. The window alone: no desktop around it.
shot() {
  local id=""
  if [ -n "${2:-}" ]; then
    id="$(xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | tail -n 1 || true)"
  else
    id="$(focused)"
  fi
  if [ -n "$id" ]; then import -window "$id" "$1"; else import -window root "$1"; fi
  echo "wrote $1"
}

# page_shot FILE KEY...: connected at once, as a launcher starts the program, the
# keys typed, the window with the keyboard taken. A fresh program for each, so that no
# page is left open over the next. sim_options go to the simulator.
sim_options=()
page_shot() {
  local file="$1"; shift
  start_sim "${sim_options[@]}"
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
xdotool search --sync --onlyvisible --name "^Communication Error$" >/dev/null 2>&1 || true
sleep 1
shot docs/communication-error.png "Communication Error"
cp docs/communication-error.png "$img/communication-error.png"
stop

# Find Relay: offline, a relay at address 7; the search of 9600 baud, addresses 1 to 10
# (a pseudo-terminal carries every speed, so one speed shows the relay once).
start_sim --address 7
start_app 1
keys F5 alt+f alt+p Down alt+a ctrl+a 1 Tab ctrl+a 1 0 alt+s
sleep 3
shot "$img/find-relay.png" "Find Relay"
stop

# The line monitor (F6) on a line paced at 9600 baud where every fifth answer is
# damaged: good answers, bad CRCs, repeats and the counters.
sim_options=(--baud 9600 --bad-crc-every 5)
page_shot "$img/line-monitor.png" F6
sim_options=()

# The current trend (Ctrl+T) over the last 2 minutes, after half a minute of readings.
start_sim
start_app 1 "9600,N,8,1 1 1"
keys ctrl+t
trend="$(xdotool search --onlyvisible --name "^Current Trend$" | tail -n 1)"
# "Time shown" is the fifth stop of the keyboard; Up picks "last 2 min".
xdotool windowfocus "$trend" 2>/dev/null || true
for _ in 1 2 3 4 5; do xdotool key Tab; sleep 0.2; done
xdotool key Up
sleep 30
shot "$img/current-trend.png" "Current Trend"
stop
