#!/bin/bash
# What a test run leaves beside the binaries, the next run's programs read
# beside themselves: nothing may be left there.
#   binaries-folder.sh snapshot <folder> <list>   notes the folder's files
#   binaries-folder.sh compare  <folder> <list>   fails naming any new file
set -u
mode=$1 folder=$2 list=$3
case "$mode" in
snapshot)
    ls -A "$folder" >"$list"
    ;;
compare)
    [ -f "$list" ] || { echo "no list of the folder's files from before the tests: $list"; exit 1; }
    new=$(ls -A "$folder" | grep -vxF -f "$list")
    if [ -n "$new" ]; then
        echo "the tests left these beside the binaries in $folder:"
        echo "$new"
        exit 1
    fi
    echo "nothing new beside the binaries in $folder"
    ;;
*)
    echo "usage: $0 snapshot|compare <folder> <list>" >&2
    exit 2
    ;;
esac
