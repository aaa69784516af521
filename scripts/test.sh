#!/bin/bash
# Builds everything and runs every test under Wine, each test program once in
# a 64-bit prefix with 32-bit support (WOW64) and once in a 32-bit prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
cd "$top/build"
ctest --output-on-failure -j4 "$@"
