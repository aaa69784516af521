#!/bin/bash
# Decides which kinds of Windows this machine's Wine can run, and how:
#   wow64  64-bit Windows with 32-bit support (the 32-bit build)
#   win32  32-bit Windows (the 32-bit build)
#   win64  64-bit Windows (the 64-bit build)
# Some machines run only 64-bit user code: their kernel refuses every 32-bit
# program, Wine's 32-bit loader included, and /usr/bin/wine prefers that
# loader. On others Wine's 32-bit side could not be installed (a package
# mirror whose 32-bit index lags behind). There only win64 runs, through
# /usr/lib/wine/wine64 called directly.
#
# Run it to print the kinds that run here on one line, or source it for:
#   qm_kind_blocked KIND   prints why KIND cannot run here (nothing when it can)
#   qm_use_wine KIND       exports WINELOADER and sets qm_wine to the loader
#   qm_machine_kinds       the kinds that run here
# QM_ONLY_64BIT=1 takes the road of a machine that cannot run 32-bit code on
# any machine, to check that road.

qm_wine64=/usr/lib/wine/wine64
qm_wine32=/usr/lib/wine/wine

qm_kind_blocked() {
    case "$1" in
    win64)
        "$qm_wine64" --version >/dev/null 2>&1 ||
            echo "Wine's 64-bit loader ($qm_wine64) does not start"
        ;;
    wow64|win32)
        if [ "${QM_ONLY_64BIT:-0}" = 1 ]; then
            echo "QM_ONLY_64BIT=1 takes the road of a machine that cannot run 32-bit code"
        elif ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
            echo "this machine cannot run 32-bit code (/lib/ld-linux.so.2 does not start)"
        elif command -v dpkg-query >/dev/null &&
             ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
            local note=/var/cache/quillomar-deps/wine32-not-installed
            if [ -s "$note" ]; then
                echo "Wine's 32-bit side (wine32:i386) could not be installed: $(head -c 300 "$note")"
            else
                echo "Wine's 32-bit side (wine32:i386) is not installed (scripts/install-deps.sh installs it)"
            fi
        elif ! "$qm_wine32" --version >/dev/null 2>&1; then
            echo "Wine's 32-bit loader ($qm_wine32) does not start"
        fi
        ;;
    *) echo "unknown kind of Windows: $1" ;;
    esac
}

qm_use_wine() {
    if [ "$1" = win64 ]; then
        # Called directly and named as the loader, so that every process of
        # the prefix, wineboot's included, is started by the 64-bit loader.
        qm_wine=$qm_wine64
        export WINELOADER=$qm_wine64
    else
        qm_wine=wine
        unset WINELOADER
    fi
}

qm_machine_kinds() {
    local kind kinds=""
    for kind in wow64 win32 win64; do
        [ -z "$(qm_kind_blocked "$kind")" ] && kinds="$kinds $kind"
    done
    echo "${kinds# }"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    qm_machine_kinds
fi
