#!/bin/bash
# Starts Quillomar.exe under Wine in a prefix of its own (~/.quillomar-wine,
# made on first use). Only on a machine whose kernel refuses 32-bit code (or
# with QM_ONLY_64BIT=1) it starts the 64-bit build instead (prefix
# ~/.quillomar-wine64) and says why; where Wine's 32-bit side is missing it
# says that scripts/install-deps.sh installs it, and ends. Without a
# display it runs on a virtual one, saves a screenshot to
# build/artifacts/quillomar.png after a few seconds (QM_SCREENSHOT_DELAY) and
# then ends the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/wine-kinds.sh"

if [ -z "${QM_RUN_VIRTUAL:-}" ]; then
    why=$(qm_kind_blocked wow64)
    missing=$(qm_kind_missing wow64)
    if [ -z "$why" ] && [ -n "$missing" ]; then
        echo "Cannot run the 32-bit program: $missing." >&2
        exit 1
    fi
    if [ -z "$why" ]; then
        kind=wow64 exe="$top/build/bin/Quillomar.exe" prefix=$HOME/.quillomar-wine
    else
        kind=win64 exe="$top/build/x64/bin/Quillomar.exe" prefix=$HOME/.quillomar-wine64
        echo "Running the 64-bit build ($exe): $why."
    fi
    [ -f "$exe" ] || "$top/scripts/build.sh"
    export QM_RUN_KIND=$kind QM_RUN_EXE=$exe WINEPREFIX=${WINEPREFIX:-$prefix}
fi
kind=$QM_RUN_KIND exe=$QM_RUN_EXE
export WINEDEBUG=${WINEDEBUG:--all}
qm_use_wine "$kind"
if [ ! -d "$WINEPREFIX" ]; then
    log=$(mktemp)
    if ! WINEARCH=win64 "$qm_wine" wineboot.exe -i >"$log" 2>&1 </dev/null; then
        echo "Wine could not make the prefix $WINEPREFIX (wineboot failed); its last words:" >&2
        tail -n 5 "$log" >&2
        rm -rf "$WINEPREFIX" "$log"
        exit 1
    fi
    rm -f "$log"
    wineserver -w
fi
# The dialog font, where Windows keeps it (this Wine does not find it alone).
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

if [ -z "${QM_RUN_VIRTUAL:-}" ] && [ -n "${DISPLAY:-}" ]; then
    "$qm_wine" "$exe" "$@" || { rc=$?; echo "Wine ended $exe with status $rc" >&2; exit $rc; }
    exit 0
fi
if [ -z "${QM_RUN_VIRTUAL:-}" ]; then
    QM_RUN_VIRTUAL=1 exec "$top/scripts/with-xvfb.sh" "$0" "$@"
fi

mkdir -p "$top/build/artifacts"
log=$(mktemp)
"$qm_wine" "$exe" "$@" </dev/null >"$log" 2>&1 &
program=$!
sleep "${QM_SCREENSHOT_DELAY:-8}"
if ! kill -0 "$program" 2>/dev/null; then
    wait "$program" && rc=0 || rc=$?
    echo "Wine ended $exe within ${QM_SCREENSHOT_DELAY:-8} seconds, with status $rc; its last words:" >&2
    tail -n 5 "$log" >&2
    rm -f "$log"
    exit 1
fi
xwd -root -silent | convert xwd:- "$top/build/artifacts/quillomar.png" &&
    echo "screenshot: build/artifacts/quillomar.png"
# Nobody can use a program on a virtual screen: end it with its prefix.
wineserver -k 2>/dev/null || true
wait $program 2>/dev/null || true
rm -f "$log"
