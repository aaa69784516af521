#!/bin/bash
# Installs from Debian's packages what building and testing need, in two steps:
#   1. the mingw-w64 cross compilers for 32-bit and 64-bit Windows, 64-bit
#      Wine, CMake, GoogleTest's sources, a virtual display and screenshot
#      tools: the build and the win64 configuration. This step must succeed.
#   2. Wine's 32-bit side (wine32:i386 and what it pulls in): the wow64 and
#      win32 configurations. Where it cannot be installed (a package mirror
#      whose 32-bit index lags behind, say) the script says so in one line and
#      still succeeds; the tests then skip those configurations.
# A package index that fails to download (a mirror in the middle of a sync) is
# fetched again a few times, then the lists that are there are used. Run again,
# the script does nothing once everything is installed, nor within a day of
# finding that Wine's 32-bit side cannot be installed (the reason is kept in
# $wine32_note, where scripts/wine-kinds.sh reads it); it never asks.
set -euo pipefail

base=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 cmake make googletest
      xvfb x11-apps imagemagick fonts-wine)
wine32=(wine32:i386)
wine32_note=/var/cache/quillomar-deps/wine32-not-installed

sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive

missing_of() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
    done
}

lists_updated=0
update_lists() {
    [ $lists_updated = 1 ] && return 0
    lists_updated=1
    local try
    for try in 1 2 3; do
        if $sudo apt-get update -qq >/tmp/qm-apt-update.$$ 2>&1; then
            rm -f /tmp/qm-apt-update.$$
            return 0
        fi
        [ $try -lt 3 ] && sleep $((try * 5))
    done
    echo "install-deps: some package indexes could not be fetched; going on with the lists there are:" >&2
    grep -E '^(E|W):' /tmp/qm-apt-update.$$ | head -3 >&2 || true
    rm -f /tmp/qm-apt-update.$$
}

apt_install() {
    $sudo apt-get install -y -q --no-install-recommends \
        -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "$@"
}

mapfile -t missing_base < <(missing_of "${base[@]}")
mapfile -t missing_wine32 < <(missing_of "${wine32[@]}")
if [ ${#missing_wine32[@]} -gt 0 ] && [ -n "$(find "$wine32_note" -mmin -1440 2>/dev/null)" ]; then
    missing_wine32=()
fi
[ ${#missing_base[@]} -eq 0 ] && [ ${#missing_wine32[@]} -eq 0 ] && exit 0

if [ ${#missing_wine32[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    lists_updated=0
fi

if [ ${#missing_base[@]} -gt 0 ]; then
    update_lists
    # The build and the 64-bit configuration: apt's own words end the script.
    if ! apt_install "${missing_base[@]}" >/tmp/qm-apt-base.$$ 2>&1; then
        cat /tmp/qm-apt-base.$$ >&2
        rm -f /tmp/qm-apt-base.$$
        exit 1
    fi
    rm -f /tmp/qm-apt-base.$$
fi

if [ ${#missing_wine32[@]} -gt 0 ]; then
    update_lists
    if ! apt_install "${missing_wine32[@]}" >/tmp/qm-apt-wine32.$$ 2>&1; then
        why=$(grep -E '^E:' /tmp/qm-apt-wine32.$$ | head -1 | sed 's/^E: *//')
        if grep -q 'unmet dependencies' /tmp/qm-apt-wine32.$$; then
            why="its 32-bit packages have unmet dependencies on this package mirror (apt: ${why:-no reason given})"
        fi
        echo "install-deps: Wine's 32-bit side (wine32:i386) could not be installed (${why:-apt failed}); the wow64 and win32 configurations will be skipped on this machine"
        $sudo mkdir -p "$(dirname "$wine32_note")"
        echo "${why:-apt failed}" | $sudo tee "$wine32_note" >/dev/null
    else
        $sudo rm -f "$wine32_note"
    fi
    rm -f /tmp/qm-apt-wine32.$$
fi
exit 0
