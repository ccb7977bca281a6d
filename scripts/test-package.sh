#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user's machine would see it:
# the files where they belong, the desktop entry and AppStream data valid, every
# program answering --help and --version, the installed neva-cli reading the relay
# simulator into a setpoint file (and its settings history, and a PDF report of
# it), the installed neva-setup starting offscreen with
# the installed factory setpoints, nothing written into the data folder, and lintian
# without errors (where lintian is installed).
#
#   bash scripts/test-package.sh [BUILD_DIR]     (default: build, configured and built)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

fail() { echo "test-package: FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }

work="$(mktemp -d)"
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

step "package"
cmake --build "$build" --target package >"$work/package.log" 2>&1 || { tail -30 "$work/package.log"; fail "cmake --build $build --target package"; }
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
deb="$build/neva-setup_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"
for field in Package Version Architecture Section Priority Maintainer Description Depends; do
  value="$(dpkg-deb -f "$deb" "$field")"
  [ -n "$value" ] || fail "control field $field is empty"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
# Dependencies come from the libraries the programs link (dpkg-shlibdeps).
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "Depends lacks the Qt libraries: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q "libmodbus" || fail "Depends lacks libmodbus"

step "install: the package unpacked, and cmake --install into a DESTDIR, hold the same files"
root="$work/root"
dpkg-deb -x "$deb" "$root"
DESTDIR="$work/destdir" cmake --install "$build" --prefix /usr >/dev/null
diff <(cd "$root" && find . -type f | sort) <(cd "$work/destdir" && find . -type f | sort) ||
  fail "the package and cmake --install differ"

app_id="$(sed -n 's/^NEVA_APP_ID:STRING=//p' "$build/CMakeCache.txt")"
usr="$root/usr"
expected=(
  bin/neva-setup bin/neva-cli bin/neva-relay-sim bin/neva-modem-sim
  share/neva-setup/Default.NEVA2 share/neva-setup/guide/index.html
  "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$app_id.svg"
  share/man/man1/neva-setup.1.gz share/man/man1/neva-cli.1.gz
  share/man/man1/neva-relay-sim.1.gz share/man/man1/neva-modem-sim.1.gz
  share/doc/neva-setup/copyright share/doc/neva-setup/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png"); done
for f in "${expected[@]}"; do [ -f "$usr/$f" ] || fail "missing /usr/$f"; done
for p in neva-setup neva-cli neva-relay-sim neva-modem-sim; do
  [ -x "$usr/bin/$p" ] || fail "/usr/bin/$p is not executable"
  zcat "$usr/share/man/man1/$p.1.gz" | grep -q '^\.TH' || fail "the manual page of $p is empty"
done
cmp -s "$usr/share/neva-setup/Default.NEVA2" "$build/bin/Default.NEVA2" || fail "Default.NEVA2 differs from the build's"

step "desktop entry and AppStream data"
desktop-file-validate "$usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"

step "--help and --version of every installed program, without a display"
for p in neva-setup neva-cli neva-relay-sim neva-modem-sim; do
  env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$p" --help >"$work/help.txt" || fail "$p --help exits $?"
  grep -q "Usage" "$work/help.txt" || fail "$p --help prints no usage"
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$p" --version)" || fail "$p --version exits $?"
  [ "$out" = "$p $version" ] || fail "$p --version printed '$out'"
done

step "the installed neva-cli reads the installed relay simulator into a file"
"$usr/bin/neva-relay-sim" --quiet >"$work/sim.out" &
sim_pid=$!
pty=""
for _ in $(seq 1 100); do
  pty="$(head -n 1 "$work/sim.out" 2>/dev/null || true)"
  [ -n "$pty" ] && break
  sleep 0.1
done
[ -n "$pty" ] || fail "the relay simulator printed no pseudo-terminal"
# The read leaves an as-found snapshot in the settings history, in a data folder of
# the check's own: the installed SQLite driver works.
export XDG_DATA_HOME="$work/data"
"$usr/bin/neva-cli" read --port "$pty" --timeout 30 -o "$work/relay.NEVA2" 2>"$work/read.err" ||
  { cat "$work/read.err" >&2; fail "neva-cli read"; }
grep -q "warning" "$work/read.err" && { cat "$work/read.err" >&2; fail "the settings history was not stored"; }
[ "$(stat -c %s "$work/relay.NEVA2")" = 3168 ] || fail "the setpoint file read from the relay has the wrong size"
"$usr/bin/neva-cli" show "$work/relay.NEVA2" >/dev/null || fail "neva-cli show of the file read"
[ "$("$usr/bin/neva-cli" history list | wc -l)" = 1 ] || fail "neva-cli history list shows no one snapshot"
"$usr/bin/neva-cli" history export 1 -o "$work/snapshot.pdf" 2>/dev/null || fail "neva-cli history export as PDF"
unset XDG_DATA_HOME
kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=""

step "the installed neva-setup starts offscreen with the installed Default.NEVA2"
mkdir -p "$work/home" "$work/cwd"
data_before="$(cd "$usr/share/neva-setup" && find . -printf '%p %s %T@\n' | sort)"
started="$(cd "$work/cwd" && env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/home" QT_QPA_PLATFORM=offscreen \
  NEVA_SETUP_STARTUP_CHECK=1 timeout 60 "$usr/bin/neva-setup" 2>"$work/setup.err")" ||
  { cat "$work/setup.err" >&2; fail "neva-setup did not start and load its factory setpoints: '$started'"; }
[ "$started" = "loaded $usr/share/neva-setup/Default.NEVA2" ] || fail "neva-setup loaded: '$started'"
[ "$data_before" = "$(cd "$usr/share/neva-setup" && find . -printf '%p %s %T@\n' | sort)" ] ||
  fail "something was written into the installed data folder"
[ -z "$(ls -A "$work/cwd")" ] || fail "neva-setup wrote into its working folder: $(ls -A "$work/cwd")"

if command -v lintian >/dev/null; then
  step "lintian"
  rc=0
  lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || rc=$?
  grep -v "running with root privileges" "$work/lintian.txt" || true
  [ "$rc" = 0 ] || fail "lintian reports errors"
else
  echo "lintian is not installed: skipped (bash scripts/install-deps.sh --test installs it)"
fi
echo "test-package: all checks passed for $deb"
