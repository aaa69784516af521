#!/bin/bash
# Installs from Debian's packages what building and testing need: the mingw-w64
# cross compilers for 32-bit and 64-bit Windows, Wine with 32-bit support, CMake,
# GoogleTest's sources, a virtual display and screenshot tools.
set -euo pipefail
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386 cmake make googletest
          xvfb x11-apps imagemagick fonts-wine)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
