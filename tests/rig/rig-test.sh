#!/usr/bin/env bash
# Checks of the Wine rig itself: CASE is one of
#   passthrough  arguments, standard output and exit status pass through
#   crash        a crashing program fails at once, with the exception's
#                status, instead of hanging or reading as success
#   two-homes    a second rig home runs beside the first on its own display
#                and leaves nothing behind when stopped
set -uo pipefail
rig=$1 probe=$2 home=$3 case=$4
fail() { echo "FAIL: $*"; exit 1; }

case $case in
  passthrough)
    out=$("$rig" --home "$home" "$probe" "two words" exit 7) ; status=$?
    [ $status -eq 7 ] || fail "status $status, expected 7"
    grep -q '^arg\[1\]=two words' <<<"$out" || fail "argument with a space lost: $out"
    grep -q '^screen=1024x768' <<<"$out" || fail "not on the rig's 1024x768 display: $out"
    ;;
  crash)
    # Several at once: a busy machine is where a crash used to end with
    # status 0. An access violation ends with its code's low byte, 5.
    start=$(date +%s) pids=()
    for i in $(seq 12); do
      "$rig" --home "$home" "$probe" crash >/dev/null 2>&1 & pids+=($!)
    done
    for pid in "${pids[@]}"; do
      wait "$pid" ; status=$?
      [ $status -eq 5 ] || fail "a crash ended with status $status, expected 5"
    done
    echo "12 crashes ended with status 5 after $(( $(date +%s) - start ))s"
    ;;
  two-homes)
    second=$home-second
    "$rig" --home "$home" "$probe" >/dev/null || fail "first home"
    "$rig" --home "$second" "$probe" exit 3 >/dev/null & pid=$!
    "$rig" --home "$home" "$probe" exit 4 >/dev/null ; first=$?
    wait $pid ; other=$?
    [ $first -eq 4 ] && [ $other -eq 3 ] || fail "statuses $first and $other"
    [ "$(cat "$home/display")" != "$(cat "$second/display")" ] || fail "both homes on one display"
    xvfb=$(cat "$second/xvfb.pid")
    "$rig" --home "$second" --stop
    sleep 0.5
    ! grep -qs '^State:.*[RS]' "/proc/$xvfb/status" || fail "the second Xvfb outlived --stop"
    ;;
  *) fail "unknown case $case" ;;
esac
echo "rig $case: ok"
