#!/usr/bin/env bash
# Takes a PNG screenshot of each of the six tabs of korvane's main window.
#   screenshots.sh [FOLDER]        default FOLDER: build/screenshots
# Runs build/korvane/korvane.exe (or $KORVANE_EXE) on an Xvfb display of its
# own, in a Wine prefix of its own (.cache/wine-shots, or
# $KORVANE_SHOTS_PREFIX) with a wineserver of its own, so it never touches
# the prefix and server the tests use.
#
# What it expects of the program: one visible top-level window captioned
# "Korvane" whose tab control sits at client 0,0 with the first tab selected.
# No window manager runs, so Wine's X window is the client area and the
# pictures show it without the frame. The script clicks the first tab header
# (which also gives the tab control the focus) and then moves on with the
# Right arrow key, which a focused tab control takes as "next tab" however
# wide its headers are and even when they overflow its width.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build/screenshots}" && cd "${1:-$root/build/screenshots}" && pwd)
exe="${KORVANE_EXE:-$root/build/korvane/korvane.exe}"
names=(1-cod 2-other 3-screenshot 4-java2cod 5-settings 6-about)

die() { echo "screenshots: $*" >&2; exit 1; }
[ -f "$exe" ] || die "$exe is missing; build it first (scripts/build.sh)"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || die "$tool is missing; run scripts/setup.sh"
done

export KORVANE_WINEPREFIX="${KORVANE_SHOTS_PREFIX:-$root/.cache/wine-shots}"
export WINEPREFIX="$KORVANE_WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 8>"$WINEPREFIX.shots.lock"
flock -n 8 || die "another screenshot run uses $WINEPREFIX"

xvfb_pid= app_pid= server= tmp=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$server" ] && wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "$tmp" ] && rm -rf "$tmp"
}
trap cleanup EXIT
tmp=$(mktemp -d)

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display"

"$root/scripts/wine-run" --prefix-only
wineserver -p
server=1

log="$out/korvane.log"
(cd "$(dirname "$exe")" && exec "$root/scripts/wine-run" "$exe") </dev/null >"$log" 2>&1 &
app_pid=$!

window=
for _ in $(seq 120); do
  window=$(xdotool search --onlyvisible --name '^Korvane$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$app_pid" 2>/dev/null || die "korvane ended before showing its window (see $log)"
  sleep 0.5
done
[ -n "$window" ] || die "no window captioned Korvane within a minute (see $log)"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"

# Window captures are compared as PPM, which holds nothing but the pixels.
capture() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "ppm:$1"; }

# Captures into $2 once the window differs from capture $1 and has stopped
# changing; fails when it does not change within six seconds.
capture_change() {
  local before=$1 shot=$2
  capture "$shot"
  for _ in $(seq 20); do
    sleep 0.3
    capture "$tmp/next"
    if ! cmp -s "$before" "$shot" && cmp -s "$shot" "$tmp/next"; then return 0; fi
    mv "$tmp/next" "$shot"
  done
  return 1
}

# Client 20,8 lies in the first header at any usual font size.
xdotool mousemove --window "$window" 20 8 click 1
capture_change /dev/null "$tmp/0"
for i in 1 2 3 4 5; do
  xdotool key Right
  capture_change "$tmp/$((i - 1))" "$tmp/$i" ||
    die "the window did not change after moving to tab $((i + 1)); has the tab control the focus?"
done
for i in "${!names[@]}"; do
  convert "ppm:$tmp/$i" -strip "$out/${names[i]}.png"
done

# Close the window as a user would, so the program cleans up after itself.
xdotool key alt+F4
for _ in $(seq 20); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.25
done
rm -f "$log"
echo "screenshots: ${#names[@]} tabs in $out"
