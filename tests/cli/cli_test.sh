#!/usr/bin/env bash
# The command line end to end against simulated units: output, exit status, link notices.
# Usage: cli_test.sh CLI SIM
set -u
CLI="$1"
SIM="$2"
. "$(dirname "$0")/cli_test_lib.sh"

out="$("$CLI" --sim send 1 6)"; rc=$?
[ $rc -eq 0 ] && [[ "$out" == "1 135 38 2E 31 32 00"* ]]; check "send 1 6 prints the STATUS answer" $?

out="$("$CLI" --sim send 0 48 1 0x02 0xC0 --wait 300)"; rc=$?
[ $rc -eq 0 ] && [ "$out" = "0 128 01 02 C0" ]; check "ping is echoed, escapes survive" $?

"$CLI" --sim send 1 250 --wait 100 >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 1 ] && [ ! -s "$tmp/out" ] && grep -q "no answer" "$tmp/err"; check "no answer exits 1" $?

"$CLI" --sim send 1 256 >/dev/null 2>&1; check "command out of range exits 2" $(( $? == 2 ? 0 : 1 ))
"$CLI" --sim send 1 6 0x1FF >/dev/null 2>&1; check "bad byte exits 2" $(( $? == 2 ? 0 : 1 ))
"$CLI" --sim --port /dev/null list >/dev/null 2>&1; check "two devices exit 2" $(( $? == 2 ? 0 : 1 ))
"$CLI" >/dev/null 2>&1; check "no command exits 2" $(( $? == 2 ? 0 : 1 ))

"$CLI" --port "$tmp/none" send 1 6 >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 1 ] && [ -s "$tmp/err" ]; check "missing device exits 1 with a reason" $?

out="$("$CLI" --sim list)"
[ "$out" = "Voltmast Simulator" ]; check "list shows the simulated unit" $?

out="$("$CLI" --sim status)"; rc=$?
[ $rc -eq 0 ] && [ "$(echo "$out" | head -n1)" = "version: 8.12" ] && [ "$(echo "$out" | wc -l)" -eq 82 ] &&
    echo "$out" | grep -q '^temperature: [0-9]* C$' && echo "$out" | grep -Eq '^channel 19: (On|Off|fail) -$' &&
    echo "$out" | grep -Eq '^can input 32: (On|Off)$'
check "status prints one round of live state" $?

# The version gate decides the status command's exit.
start_sim "$tmp/sim3" --version-text 9.01 --no-pacing
"$CLI" --port "$port" status >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 1 ] && [ "$(cat "$tmp/err")" = "Wrong software version in target, use other program" ]
check "status refuses another major version" $?
start_sim "$tmp/sim4" --silent --no-pacing
"$CLI" --port "$port" status >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 1 ] && [ "$(cat "$tmp/err")" = "Timeout for software version" ]
check "status of a silent unit times out" $?

out="$("$CLI" --sim read -o "$tmp/unit")"; rc=$?
[ $rc -eq 0 ] && [ "$out" = "name: VOLTMAST SIM" ] && grep -q '^\[CAN_EXPORT_4\]$' "$tmp/unit.cfg"
check "read saves the whole configuration with .cfg" $?
"$CLI" --sim upload "$tmp/unit.cfg" --reboot >/dev/null 2>"$tmp/err"
check "upload of a read file" $?
out="$("$CLI" --sim factory-reset --yes -o "$tmp/factory.cfg")"; rc=$?
[ $rc -eq 0 ] && cmp -s "$tmp/unit.cfg" "$tmp/factory.cfg"; check "factory reset reads the defaults" $?

# Wrong usage and refused input: exit 2 with a message that says what.
: >"$tmp/empty.cfg"
printf 'hello there\nno configuration here\n' >"$tmp/text.cfg"
printf '[OUTPUT]\nMAX_CURRENT1=12.5.3\n' >"$tmp/badnum.cfg"
mkdir -p "$tmp/dir.cfg"
mkfifo "$tmp/fifo.cfg"
while IFS='|' read -r what expect args; do
    # shellcheck disable=SC2086
    "$CLI" ${args//TMP/$tmp} </dev/null >/dev/null 2>"$tmp/err"; rc=$?
    [ $rc -eq 2 ] && grep -q -- "$expect" "$tmp/err"; check "$what exits 2" $?
done <<'ROWS'
unknown command|unknown command 'bogus' (see --help)|--sim bogus
seconds that are no number|--seconds takes|--sim monitor --seconds nan
seconds beyond a day|--seconds takes|--sim monitor --seconds 1e7
read into a directory|is a directory|--sim read -o TMP/
factory reset without a terminal or --yes|give --yes|--sim factory-reset
upload of a missing file|no such file|--sim upload TMP/none.cfg
upload of an empty file|empty.cfg|--sim upload TMP/empty.cfg
upload of a text that is no configuration|text.cfg|--sim upload TMP/text.cfg
upload of a value that is no number|badnum.cfg:2|--sim upload TMP/badnum.cfg
upload of a directory|is a directory|--sim upload TMP/dir.cfg
upload of a FIFO|not a regular file|--sim upload TMP/fifo.cfg
ROWS

# A unit that corrupts every answer: the checksum line goes to stderr, nothing to stdout.
start_sim "$tmp/sim1" --corrupt-every 1 --no-pacing
"$CLI" --port "$port" send 1 6 --wait 300 >"$tmp/out" 2>"$tmp/err"
[ ! -s "$tmp/out" ] && grep -q "^Checksum error  " "$tmp/err"; check "bad checksum reported on stderr" $?

# Unplug and replug while monitoring.
start_sim "$tmp/sim2" --disconnect-after 200 --disconnect-for 300
"$CLI" --port "$port" monitor --seconds 1 >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 0 ] && [ "$(cat "$tmp/err")" = "$(printf 'USB DISCONNECTED\nUSB CONNECTED')" ]
check "monitor reports the loss and the return once each" $?

finish
