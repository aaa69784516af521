#!/bin/bash
# Decides which kinds of Windows this machine's Wine can run, and how:
#   wow64  64-bit Windows with 32-bit support (the 32-bit build)
#   win32  32-bit Windows (the 32-bit build)
#   win64  64-bit Windows (the 64-bit build)
# Some machines run only 64-bit user code: their kernel refuses every 32-bit
# program, Wine's 32-bit loader included, and /usr/bin/wine prefers that
# loader. There only win64 runs, through /usr/lib/wine/wine64 called
# directly. Whether the kernel runs 32-bit code is asked of the 32-bit
# dynamic loader from libc6-i386 (scripts/install-deps.sh installs it).
#
# Run it to print the kinds that run here on one line, or source it for:
#   qm_kind_blocked KIND   prints why this machine can never run KIND
#                          (nothing when it can)
#   qm_kind_missing KIND   prints what is missing to run KIND here, though
#                          the machine could (nothing when nothing is)
#   qm_use_wine KIND       exports WINELOADER and sets qm_wine to the loader
#   qm_machine_kinds       the kinds this machine runs
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
        elif [ -e /lib/ld-linux.so.2 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
            echo "this machine's kernel refuses 32-bit code (/lib/ld-linux.so.2 does not start)"
        fi
        ;;
    *) echo "unknown kind of Windows: $1" ;;
    esac
}

qm_kind_missing() {
    case "$1" in
    wow64|win32)
        if [ ! -e /lib/ld-linux.so.2 ]; then
            echo "the 32-bit dynamic loader (libc6-i386) is not installed: scripts/install-deps.sh installs it"
        elif command -v dpkg-query >/dev/null &&
             ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
            echo "Wine's 32-bit side (wine32:i386) is not installed: scripts/install-deps.sh installs it"
        elif ! "$qm_wine32" --version >/dev/null 2>&1; then
            echo "Wine's 32-bit loader ($qm_wine32) does not start"
        fi
        ;;
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
