#!/bin/bash
# The program's start loads only what its first page needs: a library the
# program loads on first use must not be among its ordinary imports, or
# every start pays for loading it again.
#   start-imports.sh <objdump> <program> <library>...
objdump=$1
program=$2
shift 2
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
if [ -z "$imports" ]; then
    echo "cannot read the imports of $program"
    exit 1
fi
status=0
for library in "$@"; do
    if printf '%s\n' "$imports" | grep -qxF "$library"; then
        echo "$(basename "$program") loads $library at its start"
        status=1
    fi
done
exit $status
