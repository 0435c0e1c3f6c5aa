#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine.
# The test run has an Xvfb display and one persistent wineserver of its own;
# both end with it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

export WINEPREFIX="${KORVANE_WINEPREFIX:-$root/.cache/wine}"
xvfb_pid=
cleanup() {
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display"

wineserver -p
# Start Wine's own services now, detached from CTest's output pipes: started
# by the first test instead, they would outlive it holding its pipe open.
"$root/scripts/wine-run" wineboot </dev/null >/dev/null 2>&1
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)" "$@"
