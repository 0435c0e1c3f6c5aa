#!/usr/bin/env bash
# Installs what is missing, builds, and starts korvane against the simulated
# handheld, in the application folder build/korvane/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
app="$root/build/korvane"
if [ ! -f "$app/korvane.exe" ]; then
  echo "run: korvane.exe is not part of this build yet; built so far:" >&2
  (cd "$app" && find . -name '*.exe' | sort) >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no X display (DISPLAY is not set); korvane needs one to show its window" >&2
  exit 1
fi
cd "$app"
exec "$root/scripts/wine-run" "$app/korvane.exe"
