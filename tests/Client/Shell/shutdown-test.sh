#!/bin/bash
# Restart and shutdown through the application object, each in a Wine prefix
# of its own: a yes ends every process of the prefix (the probe and its idle
# companion), a cancel ends nothing.
#   shutdown-test.sh <probe.exe> <scratch folder>   (QM_WINEARCH, QM_PREFIX_ROOT set)
set -u
probe=$1
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../../scripts/wine-run.sh"
. "$here/../../../scripts/wine-kinds.sh"
why=$(qm_kind_blocked "${QM_WINEARCH:-wow64}")
[ -z "$why" ] || { echo "skipped: ${QM_WINEARCH:-wow64}: $why"; exit 77; }
# Each run keeps its reports in a folder of its own: two runs side by side
# would otherwise remove and overwrite each other's.
mkdir -p "$2"
scratch=$(mktemp -d "$2/run.XXXXXX") || { echo "cannot make a folder in $2"; exit 1; }
passed=0
failed=0

fail() { echo "FAILED: $case_name: $*"; failed=$((failed + 1)); }

run_case() {
    case_name="$1 $2 $3"
    local report="$scratch/$1-$2-$3.txt"
    rm -f "$report" "$report.idle" "$report.out"
    QM_XVFB=1 timeout 120 "$wine_run" "$probe" "$1" "$2" "$3" "Z:${report//\//\\}" >"$report.out" 2>&1
    local rc=$?
    local text
    text=$(cat "$report" 2>/dev/null)
    local before=$failed
    grep -qx "asking" <<<"$text" ||
        fail "the probe did not run (exit code $rc): $text; its output: $(tail -n 20 "$report.out" 2>/dev/null)"
    grep -qx "idle started" "$report.idle" 2>/dev/null || fail "the idle companion did not start"
    if [ "$4" = question ]; then
        grep -qx "question: Your system will $5 momentarily.\\\\n\\\\nClick Cancel to abort." <<<"$text" ||
            fail "no question about the $5: $text"
        grep -qx "caption: Quillomar" <<<"$text" || fail "wrong caption: $text"
        grep -qx "topmost: yes" <<<"$text" || fail "the question is not system-modal: $text"
    else
        grep -q "^question:" <<<"$text" && fail "asked although told not to: $text"
    fi
    if [ "$6" = ends ]; then
        grep -qx "returned 1" <<<"$text" || fail "ExitWindowsEx was not called with success: $text"
        grep -qx "survived" <<<"$text" && fail "the probe outlived the $5"
        grep -qx "idle survived" "$report.idle" 2>/dev/null && fail "another program outlived the $5"
    else
        grep -qx "returned 0" <<<"$text" || fail "a cancelled $5 went on: $text"
    fi
    [ "$failed" = "$before" ] && { echo "ok: $case_name"; passed=$((passed + 1)); }
}

#        kind     ask   answer  question?   what      outcome
run_case restart  noask ok      none        restart   ends
run_case restart  ask   cancel  question    restart   stays
run_case restart  ask   ok      question    restart   ends
run_case shutdown noask cancel  question    shutdown  stays
run_case shutdown ask   ok      question    shutdown  ends
echo "$passed passed, $failed failed"
if [ "$failed" = 0 ]; then
    rm -rf "$scratch"
else
    echo "the reports are kept in $scratch"
    exit 1
fi
