#!/bin/bash
# Prepares a Wine prefix template of the given kind once (wow64, win32 or
# win64, see wine-kinds.sh); test runs copy it instead of booting a prefix of
# their own each time. Exits 77 (skipped) when this machine cannot run the
# kind. HOME is an empty folder, so Wine's user folders are real folders and
# not links into the home of whoever runs the tests.
set -eu
kind=$1
root=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-kinds.sh"
why=$(qm_kind_blocked "$kind")
if [ -n "$why" ]; then
    echo "skipped: no $kind prefix: $why"
    exit 77
fi
missing=$(qm_kind_missing "$kind")
if [ -n "$missing" ]; then
    echo "cannot make a $kind prefix: $missing" >&2
    exit 1
fi
dest="$root/$kind"
[ -f "$dest/.ready-fonts" ] && exit 0
mkdir -p "$root"
exec 9>"$root/.$kind.lock"
flock 9
[ -f "$dest/.ready-fonts" ] && exit 0
rm -rf "$dest"
mkdir -p "$dest/home"
export WINEPREFIX="$dest/prefix" HOME="$dest/home" WINEDEBUG=-all
if [ "$kind" = win32 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
qm_use_wine "$kind"
if ! "$qm_wine" wineboot.exe -i >"$root/$kind.boot.log" 2>&1 </dev/null; then
    echo "wineboot failed in the $kind prefix; its last words:" >&2
    tail -n 5 "$root/$kind.boot.log" >&2
    exit 1
fi
wineserver -w
# A Windows machine has real user folders; Wine makes them links to $HOME,
# which would lead every copy of this template back into one shared folder.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link"; mkdir "$link"; fi
done
# Windows has Tahoma (the dialog font) in its Fonts folder; this Wine does
# not find the copies of fonts-wine by itself, and without them dialogs get
# other metrics than on Windows.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
touch "$dest/.ready" "$dest/.ready-fonts"
