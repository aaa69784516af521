#!/bin/bash
# Starts Quillomar.exe under Wine in a prefix of its own (~/.quillomar-wine,
# made on first use). Without a display it runs on a virtual one, saves a
# screenshot to build/artifacts/quillomar.png after a few seconds
# (QM_SCREENSHOT_DELAY) and then ends the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
exe="$top/build/bin/Quillomar.exe"
[ -f "$exe" ] || "$top/scripts/build.sh"
export WINEPREFIX=${WINEPREFIX:-$HOME/.quillomar-wine} WINEDEBUG=${WINEDEBUG:--all}
if [ ! -d "$WINEPREFIX" ]; then
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
fi
# The dialog font, where Windows keeps it (this Wine does not find it alone).
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

if [ -z "${QM_RUN_VIRTUAL:-}" ] && [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi
if [ -z "${QM_RUN_VIRTUAL:-}" ]; then
  QM_RUN_VIRTUAL=1 exec "$top/scripts/with-xvfb.sh" "$0" "$@"
fi

mkdir -p "$top/build/artifacts"
wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
program=$!
sleep "${QM_SCREENSHOT_DELAY:-8}"
xwd -root -silent | convert xwd:- "$top/build/artifacts/quillomar.png" &&
  echo "screenshot: build/artifacts/quillomar.png"
# Nobody can use a program on a virtual screen: end it with its prefix.
wineserver -k 2>/dev/null || true
wait $program 2>/dev/null || true
