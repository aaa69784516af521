#!/bin/bash
# Runs a command with QM_SMALL_DISK naming the folder of a small file system
# of its own (a tmpfs of the given size), for tests of what the program does
# when the disk fills up; the file system is taken down afterwards. Without
# the right to mount one, ends with 77 (skipped) and says why.
#   with-small-disk.sh <size, as mount takes it: 32m> command [args...]
set -u
[ $# -ge 2 ] || { echo "usage: $0 size command [args...]" >&2; exit 2; }
size=$1
shift
disk=$(mktemp -d /tmp/qm-small-disk.XXXXXX)
if ! mount -t tmpfs -o "size=$size,mode=0777" qm-small-disk "$disk" 2>"$disk.err"; then
    echo "skipped: cannot mount a small file system: $(cat "$disk.err")"
    rm -f "$disk.err"
    rmdir "$disk"
    exit 77
fi
rm -f "$disk.err"
cleanup() {
    umount "$disk" 2>/dev/null || umount -l "$disk" 2>/dev/null
    rmdir "$disk" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 143' TERM INT
export QM_SMALL_DISK="$disk"
"$@"
