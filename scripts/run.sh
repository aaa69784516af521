#!/bin/bash
# Starts Quillomar.exe under Wine in a prefix of its own (~/.quillomar-wine,
# made on first use). Without a display it runs on a virtual one and saves a
# screenshot to build/artifacts/quillomar.png after a few seconds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
exe="$top/build/bin/Quillomar.exe"
[ -f "$exe" ] || "$top/scripts/build.sh"
export WINEPREFIX=${WINEPREFIX:-$HOME/.quillomar-wine} WINEDEBUG=${WINEDEBUG:--all}
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi

mkdir -p "$top/build/artifacts"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
wine "$exe" "$@" &
program=$!
sleep "${QM_SCREENSHOT_DELAY:-8}"
xwd -root -silent | convert xwd:- "$top/build/artifacts/quillomar.png" && echo "screenshot: build/artifacts/quillomar.png"
wait $program || true
