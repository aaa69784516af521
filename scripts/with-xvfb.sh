#!/bin/bash
# Runs a command with DISPLAY set to a virtual X screen of its own (24 bits,
# so colour keys compare exactly), and stops that screen afterwards.
# Xvfb picks a free display number itself (-displayfd), so parallel runs
# never meet. Gives up, rather than hang, when the screen does not come up.
set -u
[ $# -ge 1 ] || { echo "usage: $0 command [args...]" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }

fifo_dir=$(mktemp -d /tmp/qm-xvfb.XXXXXX)
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 "${QM_XVFB_SCREEN:-1024x768x24}" -nolisten tcp -nolisten unix_abstract \
     3>"$fifo_dir/display" </dev/null >/dev/null 2>"$fifo_dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$fifo_dir"' EXIT
trap 'exit 143' TERM INT
number=""
read -r -t 30 number <"$fifo_dir/display" || true
if [ -z "$number" ]; then
    echo "Xvfb did not start:" >&2
    cat "$fifo_dir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$number" QM_XVFB_DISPLAY=":$number"
"$@"
rc=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $rc
