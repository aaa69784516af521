#!/bin/bash
# Installs from Debian's packages what building and testing need, in two steps:
#   1. the mingw-w64 cross compilers for 32-bit and 64-bit Windows, 64-bit
#      Wine, CMake, GoogleTest's sources, a virtual display and screenshot
#      tools: the build and the win64 configuration.
#   2. Wine's 32-bit side (wine32:i386 and what it pulls in): the wow64 and
#      win32 configurations, which run the shipped 32-bit program.
# Either step failing ends the script non-zero with apt's own words. Only a
# machine whose kernel refuses 32-bit code (or QM_ONLY_64BIT=1, to check that
# road anywhere) leaves the second step out, and says so in one line.
#
# Where the mirror's 32-bit index lags behind the 64-bit one (a security
# index in the middle of a sync), every 64-bit library that must have the
# same version in both architectures is newer than any 32-bit copy on offer,
# and the plain install fails on unmet dependencies. The script then installs
# Wine from the main suite for both architectures, moving those libraries
# back to its versions, says in one line which, and holds them there, so that
# neither a later run nor a later install moves one architecture forward
# alone. It never removes a package (the 64-bit Wine least of all), never
# asks, and run again once everything is installed it does nothing.
set -euo pipefail

base=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 cmake make googletest
      xvfb x11-apps imagemagick fonts-wine libc6-i386)
wine32=wine32:i386
# The suite whose 32-bit and 64-bit indexes always agree.
main_suite=bookworm
pin_file=/etc/apt/preferences.d/quillomar-wine32-from-main-suite

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-kinds.sh"

sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap '$sudo rm -f "$pin_file"; rm -f "$log"' EXIT

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing_of() {
    local p
    for p in "$@"; do
        is_installed "$p" || echo "$p"
    done
}

lists_updated=0
update_lists() {
    [ $lists_updated = 1 ] && return 0
    lists_updated=1
    local try
    for try in 1 2 3; do
        $sudo apt-get update -qq >"$log" 2>&1 && return 0
        [ $try -lt 3 ] && sleep $((try * 5))
    done
    # A mirror in the middle of a sync: the lists that did come are used.
    echo "install-deps: some package indexes could not be fetched; going on with the lists there are:" >&2
    grep -E '^(E|W):' "$log" | head -3 >&2 || true
}

# apt-get install, never asking and never removing anything; apt's words
# are left in $log.
apt_install() {
    $sudo apt-get install -y -q --no-install-recommends --no-remove \
        -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "$@" >"$log" 2>&1
}

fail_with_apt_words() {
    echo "install-deps: $1; apt said:" >&2
    cat "$log" >&2
    exit 1
}

# "package:arch version" of every installed package, sorted.
installed_versions() {
    dpkg-query -W -f='${db:Status-Status} ${Package}:${Architecture} ${Version}\n' |
        awk '$1 == "installed" {print $2, $3}' | LC_ALL=C sort
}

install_wine32_from_main_suite() {
    local before moved
    before=$(installed_versions)
    printf 'Package: *\nPin: release n=%s\nPin-Priority: 1001\n' "$main_suite" | $sudo tee "$pin_file" >/dev/null
    apt_install --allow-downgrades wine64 libwine "$wine32" || return 1
    $sudo rm -f "$pin_file"
    # Packages installed before whose version changed: those moved back.
    moved=$(LC_ALL=C join <(printf '%s\n' "$before") <(installed_versions) | awk '$2 != $3 {print $1}' |
        sed 's/:all$//')
    [ -n "$moved" ] || return 0
    # The moved libraries with a 32-bit twin are held in both architectures,
    # or the next install of a 64-bit package could take the newer copy
    # again and leave its twin behind; the rest follow them by their
    # dependencies.
    local p pairs=""
    for p in $moved; do
        p=${p%:amd64}
        is_installed "$p:i386" && pairs="$pairs $p:amd64 $p:i386"
    done
    [ -z "$pairs" ] || $sudo apt-mark hold $pairs >/dev/null
    echo "install-deps: this mirror's 32-bit index lags behind, so Wine's 32-bit side came from the $main_suite suite;" \
         "moved back to its versions: $(echo $moved | sed 's/:amd64//g') (held: $(echo $pairs | sed 's/:amd64//g; s/ [^ ]*:i386//g'))"
}

mapfile -t missing_base < <(missing_of "${base[@]}")
if [ ${#missing_base[@]} -gt 0 ]; then
    update_lists
    apt_install "${missing_base[@]}" || fail_with_apt_words "the build's packages could not be installed"
fi

why_not_32bit=$(qm_kind_blocked wow64)
if [ -n "$why_not_32bit" ]; then
    echo "install-deps: Wine's 32-bit side is not installed, since $why_not_32bit; only the win64 configuration runs here"
    exit 0
fi
is_installed "$wine32" && exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    lists_updated=0
fi
update_lists
if ! apt_install "$wine32"; then
    grep -q 'unmet dependencies' "$log" || fail_with_apt_words "Wine's 32-bit side ($wine32) could not be installed"
    install_wine32_from_main_suite ||
        fail_with_apt_words "Wine's 32-bit side ($wine32) could not be installed, from the $main_suite suite either"
fi
exit 0
