#!/usr/bin/env bash
# diff, check, dbc and log end to end against a simulated unit.
# Usage: field_test.sh CLI SIM
set -u
CLI="$1"
SIM="$2"
. "$(dirname "$0")/cli_test_lib.sh"
start_sim "$tmp/sim" --no-pacing

"$CLI" --port "$port" read -o "$tmp/unit.cfg" >/dev/null; check "read the unit" $?
sed -e 's/^MAX_CURRENT3=.*/MAX_CURRENT3=133/' "$tmp/unit.cfg" >"$tmp/changed.cfg"
sed -e 's/^\(MAX_CURRENT3=\)\(.*\)$/\1\2/' "$tmp/unit.cfg" >"$tmp/same.cfg"

out="$("$CLI" diff "$tmp/unit.cfg" "$tmp/changed.cfg")"; rc=$?
[ $rc -eq 1 ] && [[ "$out" == "OUTPUT.MAX_CURRENT3: "*" -> 133" ]] && [ "$(echo "$out" | wc -l)" -eq 1 ]
check "diff names the one changed value and exits 1" $?
out="$("$CLI" diff "$tmp/unit.cfg" "$tmp/same.cfg")"; rc=$?
[ $rc -eq 0 ] && [ -z "$out" ]; check "diff of equal files prints nothing and exits 0" $?
printf '[OUTPUT]\nMAX_CURRENT3=12x\n' >"$tmp/bad.cfg"
"$CLI" diff "$tmp/unit.cfg" "$tmp/bad.cfg" >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 2 ] && [ ! -s "$tmp/out" ] && grep -q 'bad.cfg' "$tmp/err"; check "diff of a refused file exits 2 naming it" $?

out="$("$CLI" --port "$port" check "$tmp/changed.cfg")"; rc=$?
[ $rc -eq 1 ] && [[ "$out" == "OUTPUT.MAX_CURRENT3: "*" -> 133" ]]; check "check finds the unit's one different value" $?
"$CLI" --port "$port" upload "$tmp/changed.cfg" >/dev/null 2>&1
out="$("$CLI" --port "$port" check "$tmp/changed.cfg")"; rc=$?
[ $rc -eq 0 ] && [ -z "$out" ]; check "check passes once the unit holds the file" $?

sed -e 's/^ENABLED=0$/ENABLED=1/' "$tmp/unit.cfg" >"$tmp/export.cfg"
"$CLI" dbc "$tmp/export.cfg" -o "$tmp/unit.dbc" >/dev/null; rc=$?
[ $rc -eq 0 ] && grep -q '^BU_: Voltmast' "$tmp/unit.dbc" && [ "$(grep -c '^BO_ ' "$tmp/unit.dbc")" -eq 4 ] &&
    [ "$(grep -c '^BA_ "GenMsgCycleTime" BO_ ' "$tmp/unit.dbc")" -eq 4 ]
check "dbc writes the four enabled exports" $?
"$CLI" dbc "$tmp/bad.cfg" -o "$tmp/bad.dbc" >/dev/null 2>&1; rc=$?
[ $rc -eq 2 ] && [ ! -e "$tmp/bad.dbc" ]; check "dbc of a refused file writes nothing" $?

"$CLI" --port "$port" log --seconds 2 -o "$tmp/log.csv" >/dev/null; rc=$?
rows=$(($(wc -l <"$tmp/log.csv") - 1))
[ $rc -eq 0 ] && head -n1 "$tmp/log.csv" | grep -q '^time,total current \[A\],battery \[V\],temperature \[C\],1: ' &&
    [ "$rows" -ge 2 ] && sed -n 2p "$tmp/log.csv" | grep -Eq '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]{12}(Z|[+-][0-9]{2}:[0-9]{2}),'
check "log writes a header and timed rows ($rows)" $?
"$CLI" --port "$port" log --seconds -1 >/dev/null 2>&1; check "log refuses negative seconds" $(( $? == 2 ? 0 : 1 ))

finish
