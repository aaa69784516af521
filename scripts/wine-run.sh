#!/bin/bash
# Runs one Windows program under Wine in a throwaway prefix copied from a
# prepared template, so a test may write HKLM and system folders freely.
#   QM_WINEARCH=wow64 : 64-bit Windows with 32-bit support (default for a
#                       32-bit program)
#   QM_WINEARCH=win32 : 32-bit Windows
#   QM_WINEARCH=win64 : 64-bit Windows (default for a 64-bit program)
#   QM_PREFIX_ROOT    : folder that holds the templates
#   QM_KEEP_PREFIX=1  : leave the prefix behind for a look
#   QM_XVFB=1         : run on a virtual X screen of its own
# Wine's services inherit the pipes of the process that starts them; they are
# started first with their output sent to /dev/null, so a caller that waits for
# our output (CTest) never hangs on them. A kind that this machine cannot
# run ends with 77 (skipped) and one line that says why.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-kinds.sh"

# The machine field of a PE file's header: 0x8664 for 64-bit programs.
is_64bit_program() {
    local offset
    offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] && [ "$(od -An -tx2 -j"$offset" -N6 "$1" 2>/dev/null | awk '{print $3}')" = 8664 ]
}
if [ -z "${QM_WINEARCH:-}" ] && [ -f "${1:-}" ] && is_64bit_program "$1"; then
    export QM_WINEARCH=win64
fi
kind=${QM_WINEARCH:-wow64}
why=$(qm_kind_blocked "$kind")
if [ -n "$why" ]; then
    echo "skipped: $kind: $why"
    exit 77
fi
if [ "${QM_XVFB:-0}" = 1 ] && [ -z "${QM_XVFB_DISPLAY:-}" ]; then
    exec "$here/with-xvfb.sh" "$0" "$@"
fi
root=${QM_PREFIX_ROOT:-/tmp/qm-wine-templates}
"$here/make-prefix.sh" "$kind" "$root" >/dev/null || { echo "cannot prepare the $kind Wine prefix" >&2; exit 1; }

run=$(mktemp -d /tmp/qm-run.XXXXXX)
# The large folders of Wine's own libraries are hard-linked (tests add files
# there but never rewrite one in place); everything else is copied.
big="prefix/drive_c/windows/system32 prefix/drive_c/windows/syswow64 prefix/drive_c/windows/winsxs"
(cd "$root/$kind" && tar $(for d in $big; do echo --exclude=./$d; done) -cf - .) | tar -xf - -C "$run"
for d in $big; do
  [ -d "$root/$kind/$d" ] && cp -al "$root/$kind/$d" "$run/$d"
done
export WINEPREFIX="$run/prefix" HOME="$run/home" WINEDEBUG=-all
[ "$kind" = win32 ] && export WINEARCH=win32 || unset WINEARCH
qm_use_wine "$kind"
unset DISPLAY_FOR_WINE
# On a private screen there is no window manager: Wine then manages the
# windows itself, and does not wait for a manager that never answers each
# time a window is hidden.
if [ -n "${QM_XVFB_DISPLAY:-}" ]; then
  printf '\n[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n' >>"$WINEPREFIX/user.reg"
fi

wineserver -p >/dev/null 2>&1 </dev/null
"$qm_wine" cmd /c exit >/dev/null 2>&1 </dev/null
"$qm_wine" "$@"
rc=$?
wineserver -k >/dev/null 2>&1 </dev/null
wineserver -w >/dev/null 2>&1 </dev/null
[ "${QM_KEEP_PREFIX:-0}" = 1 ] && echo "prefix kept in $run" >&2 || rm -rf "$run"
exit $rc
