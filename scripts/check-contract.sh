#!/bin/bash
# Fails when one binary includes a header of the other that is not part of
# their shared contract. Quillomar.exe is built from Client/, qmsag.dll from
# Engine/, and both from Framework/ (which knows neither).
# Usage: check-contract.sh <source folder> <contract header>...
set -uo pipefail
top=$1
shift
declare -A contract
for header in "$@"; do
    contract[$header]=1
done

failures=0
# report <file> <included header> <why>
report() {
    echo "$1 includes $2: $3"
    failures=$((failures + 1))
}

# Every quoted include of the files below a folder, as "file header" lines.
includes_below() {
    (cd "$top" && grep -rHoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' \
        --include='*.h' --include='*.cpp' --include='*.rc' "$1" 2>/dev/null) |
        sed -E 's/^([^:]+):.*"([^"]+)"$/\1 \2/'
}

while read -r file header; do
    [[ $header == Client/* && -z ${contract[$header]:-} ]] &&
        report "$file" "$header" "the engine may include only the contract from the program"
done < <(includes_below Engine)

while read -r file header; do
    [[ $header == Engine/* && -z ${contract[$header]:-} ]] &&
        report "$file" "$header" "the program may include only the contract from the engine"
done < <(includes_below Client)

while read -r file header; do
    [[ $header == Client/* || $header == Engine/* ]] &&
        report "$file" "$header" "the framework serves both binaries and knows neither"
done < <(includes_below Framework)

for owner in "${!contract[@]}"; do
    [[ -f $top/$owner ]] || { report "$owner" "-" "a contract header is missing"; continue; }
    while read -r header; do
        [[ $header == Framework/* || -n ${contract[$header]:-} ]] ||
            report "$owner" "$header" "a contract header includes only the contract and the framework"
    done < <(grep -oE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$top/$owner" |
        sed -E 's/.*"([^"]+)"$/\1/')
done

if ((failures)); then
    echo "$failures include(s) cross the boundary between Quillomar.exe and qmsag.dll"
    exit 1
fi
echo "the two binaries share only their contract (${#contract[@]} headers)"
