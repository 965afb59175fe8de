#!/usr/bin/env bash
# switch, auto, diag and can-monitor end to end against simulated units.
# Usage: live_cli_test.sh CLI SIM
set -u
CLI="$1"
SIM="$2"
. "$(dirname "$0")/cli_test_lib.sh"
start_sim "$tmp/silent" --silent
silent="$port"
start_sim "$tmp/unit" --diag 3:15:2:25:1 --diag 20:4 --monitor-interval 20

for state in on off; do
    out="$("$CLI" --port "$port" switch 5 "$state")"; rc=$?
    expected="channel 5: $( [ "$state" = on ] && echo On || echo Off)"
    [ $rc -eq 0 ] && [ "$out" = "$expected" ]; check "switch 5 $state follows the unit's channel state" $?
done
for args in "35 on" "0 off" "5 sideways"; do
    # shellcheck disable=SC2086
    "$CLI" --port "$port" switch $args >"$tmp/out" 2>/dev/null; rc=$?
    [ $rc -eq 2 ] && [ ! -s "$tmp/out" ]; check "switch $args is refused with exit 2" $?
done
"$CLI" --port "$silent" switch 5 on >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 1 ] && [ ! -s "$tmp/out" ] && [ -s "$tmp/err" ]; check "switch on a silent unit exits 1 with a reason" $?
out="$("$CLI" --port "$port" auto)"; rc=$?
[ $rc -eq 0 ] && [ "$out" = "test mode: Auto" ]; check "auto confirms automatic mode" $?

"$CLI" --port "$port" diag >"$tmp/diag"; rc=$?
[ $rc -eq 0 ] && [ "$(wc -l <"$tmp/diag")" -eq 34 ] &&
    grep -qx 'channel 3: short > 15, trip 2, trip level 10.0 A, low current 1' "$tmp/diag" &&
    grep -qx 'channel 1: short 0, trip 0, trip level 0 A, low current 0' "$tmp/diag" &&
    grep -qx 'channel 20: short 4' "$tmp/diag" && grep -qx 'channel 34: short 0' "$tmp/diag"
check "diag prints the 34 channels' counters" $?
"$CLI" --port "$port" diag --clear >"$tmp/diag" 2>"$tmp/err"; rc=$?
[ $rc -eq 0 ] && [ "$(grep -c 'short 0' "$tmp/diag")" -eq 34 ] && grep -q 'Diagnostic log cleared' "$tmp/err"
check "diag --clear clears and prints the cleared counters" $?
"$CLI" --port "$silent" diag >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 1 ] && [ -s "$tmp/err" ]; check "diag of a silent unit exits 1 with a reason" $?

"$CLI" --port "$port" can-monitor --seconds 1 >"$tmp/mon" 2>/dev/null; rc=$?
lines="$(wc -l <"$tmp/mon")"
[ $rc -eq 0 ] && [ "$lines" -ge 20 ] && grep -qx 'Can id: 1A0 , Data: 01 FE' "$tmp/mon" &&
    grep -qx 'Can id: 005 , Data:' "$tmp/mon"
check "can-monitor --seconds 1 prints the unit's frames ($lines)" $?
"$CLI" --port "$port" can-monitor >"$tmp/mon" 2>/dev/null &
mon=$!
sleep 0.5
kill -INT $mon
wait $mon; rc=$?
"$CLI" --port "$port" monitor --seconds 0.5 >"$tmp/after"
[ $rc -eq 0 ] && [ -s "$tmp/mon" ] && [ ! -s "$tmp/after" ]
check "Ctrl+C ends can-monitor and switches the unit's monitor off" $?
"$CLI" --port "$port" can-monitor --seconds 0.5 >"$tmp/mon" 2>/dev/null &
mon=$!
sleep 0.2
kill -TERM $mon
wait $mon
"$CLI" --port "$port" monitor --seconds 0.5 >"$tmp/after"
[ ! -s "$tmp/after" ]; check "SIGTERM switches the unit's monitor off as well" $?

finish
