#!/bin/bash
# Builds everything and runs every test under Wine in each configuration:
#   wow64  the 32-bit build in a 64-bit prefix with 32-bit support
#   win32  the 32-bit build in a 32-bit prefix
#   win64  the 64-bit build in a 64-bit prefix
# On a machine that cannot run 32-bit code the first two are reported skipped
# (QM_ONLY_64BIT=1 takes that road anywhere). Extra arguments go to ctest.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" || exit 1
. "$top/scripts/wine-kinds.sh"
cd "$top/build"
ctest --output-on-failure -j"$(nproc)" "$@"
rc=$?
ran=$(qm_machine_kinds)
skipped=""
for kind in wow64 win32 win64; do
    [[ " $ran " == *" $kind "* ]] || skipped="$skipped $kind"
done
skipped=${skipped# }
if [ -n "$skipped" ]; then
    echo "configurations run: ${ran:-none}; skipped: $skipped, because $(qm_kind_blocked "${skipped%% *}")"
else
    echo "configurations run: $ran"
fi
exit $rc
