#!/usr/bin/env bash
# The service commands end to end against simulated units: output, exit status,
# refused input that leaves the unit as it was.
# Usage: service_cli_test.sh CLI SIM
set -u
CLI="$1"
SIM="$2"
. "$(dirname "$0")/cli_test_lib.sh"

out="$("$CLI" --sim ping --count 5 --interval 5)"; rc=$?
[ $rc -eq 0 ] && [ "$(echo "$out" | grep -Ec '^ping [1-5]: [0-9]+ bytes, [0-9]+\.[0-9] ms$')" -eq 5 ] &&
    echo "$out" | tail -n1 | grep -Eq '^5 sent, 5 ok, 0 wrong, 0 lost, round trip min/avg/max [0-9.]+/[0-9.]+/[0-9.]+ ms$'
check "ping: every echo right" $?

start_sim "$tmp/sim1" --no-pacing --ping-corrupt-every 3 --ping-drop-every 4
out="$("$CLI" --port "$port" ping --count 4 --interval 1)"; rc=$?
[ $rc -eq 1 ] && echo "$out" | grep -qx 'ping 3: ERROR in data' && echo "$out" | grep -qx 'ping 4: Timeout error' &&
    echo "$out" | tail -n1 | grep -q '^4 sent, 2 ok, 1 wrong, 1 lost'
check "ping: changed and missing echoes exit 1" $?

out="$("$CLI" --sim setup)"; rc=$?
[ $rc -eq 0 ] && [ "$out" = "$(printf 'serial: 00001234\nweek: 12\nyear: 2024\nhardware: 3')" ]
check "setup prints the production data" $?

start_sim "$tmp/sim2" --no-pacing
"$CLI" --port "$port" setup --serial 99 --week 300 --year 2020 --hardware 1 >"$tmp/out" 2>"$tmp/err"; rc=$?
after="$("$CLI" --port "$port" setup)"
[ $rc -eq 2 ] && grep -q "Production week" "$tmp/err" && [ ! -s "$tmp/out" ] && echo "$after" | grep -qx 'serial: 00001234'
check "setup: a refused store exits 2 and leaves the unit as it was" $?
out="$("$CLI" --port "$port" setup --serial 4000000000 --week 7 --year 2009 --hardware 3 2>"$tmp/err")"; rc=$?
[ $rc -eq 0 ] && [ "$out" = "$(printf 'serial: 4000000000\nweek: 07\nyear: 2009\nhardware: 3')" ] &&
    grep -q "Data stored in Voltmast" "$tmp/err"
check "setup stores, waits and reads back" $?

out="$("$CLI" --sim errors --reset-system-log)"; rc=$?
[ $rc -eq 0 ] && [ "$(echo "$out" | head -n2)" = "$(printf ' System log data reset..\n Error list count 2')" ] &&
    [ "$(echo "$out" | grep -c '^-----')" -eq 2 ] && echo "$out" | grep -qx 'Data        : 0x0A:0xFF:'
check "errors: the log after the system log reset" $?
out="$("$CLI" --sim errors --reset)"; rc=$?
[ $rc -eq 0 ] && [ "$out" = "$(printf ' Error log reset..\n Error list count 0')" ]
check "errors --reset empties the log first" $?
out="$("$CLI" --sim reboot)"; rc=$?
[ $rc -eq 0 ] && [ "$out" = "System reboot.." ]; check "reboot" $?

start_sim "$tmp/sim3"
"$CLI" --port "$port" eeprom read -o "$tmp/all.txt" >/dev/null 2>&1 &&
    [ "$(wc -l <"$tmp/all.txt")" -eq 256 ] && head -n1 "$tmp/all.txt" | grep -q '^0000:56,4F,4C,54,4D,41,53,54,'
check "eeprom read: 256 lines of the text format" $?
"$CLI" --port "$port" eeprom read --start 0100 --end 0200 -o "$tmp/part.bin" >/dev/null 2>&1 &&
    [ "$(stat -c %s "$tmp/part.bin")" -eq 256 ]
check "eeprom read: .bin gets the raw bytes of the range" $?
sed 's/^0010:../0010:A5/' "$tmp/all.txt" >"$tmp/changed.txt"
out="$("$CLI" --port "$port" eeprom write "$tmp/changed.txt" --start 0000 --end 0100 --verify 2>/dev/null)"; rc=$?
"$CLI" --port "$port" eeprom read --end 0020 -o "$tmp/back.txt" >/dev/null 2>&1
[ $rc -eq 0 ] && echo "$out" | grep -qx 'verified 0000..0100' && grep -q '^0010:A5,' "$tmp/back.txt"
check "eeprom write --verify round trip" $?

printf '0000:00,11;//\n' >"$tmp/short.txt"
printf '00G0:00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00;//\n' >"$tmp/badaddr.txt"
while IFS='|' read -r what expect args; do
    # shellcheck disable=SC2086
    "$CLI" ${args//TMP/$tmp} </dev/null >/dev/null 2>"$tmp/err"; rc=$?
    [ $rc -eq 2 ] && grep -q -- "$expect" "$tmp/err"; check "$what exits 2" $?
done <<'ROWS'
eeprom range off the 16-byte bounds|not on 16-byte bounds|--sim eeprom read --start 0008 -o TMP/x.txt
eeprom range that is empty|is empty|--sim eeprom read --start 0100 --end 0100 -o TMP/x.txt
eeprom range past the end|goes past the EEPROM|--sim eeprom write TMP/all.txt --end 2000
eeprom range past FFFF|not a hex address|--sim eeprom read --end 10000 -o TMP/x.txt
eeprom file with a bad cell|short.txt:1: byte 1|--sim eeprom write TMP/short.txt
eeprom file with a bad address|badaddr.txt:1: the address|--sim eeprom write TMP/badaddr.txt
eeprom file not covering the range|holds no bytes for 0100|--sim eeprom write TMP/part.bin --end 0200
eeprom read into a directory|is a directory|--sim eeprom read -o TMP/
setup with some fields only|all four fields|--sim setup --serial 5
setup with a year out of range|NOT a Valit Year|--sim setup --serial 5 --week 1 --year 2100 --hardware 1
setup with a year before 2006|NOT a Valit Year|--sim setup --serial 5 --week 1 --year 2005 --hardware 1
setup with a serial past 32 bits|Serial number|--sim setup --serial 4294967296 --week 1 --year 2010 --hardware 1
calibration with a current that is no number|not a number of amperes|--sim calibration set 3 1.2.3
ping with no interval|interval|--sim ping --interval 0
ROWS

out="$("$CLI" --sim calibration show 2>/dev/null)"; rc=$?
[ $rc -eq 0 ] && [ "$(echo "$out" | wc -l)" -eq 18 ] &&
    echo "$out" | grep -Eq '^channel 3: current [0-9]+\.[0-9] A, ratio 8075, ad 0301, offset 11$'
check "calibration show: one round of the 18 channels" $?
start_sim "$tmp/sim4" --no-pacing
out="$("$CLI" --port "$port" calibration set 3 25 2>/dev/null)"; rc=$?
after="$("$CLI" --port "$port" calibration show 2>/dev/null | grep '^channel 3:')"
[ $rc -eq 0 ] && [ "$out" = "channel 3: ratio 8297" ] && echo "$after" | grep -q 'ratio 8297,'
check "calibration set computes and stores the ratio" $?
"$CLI" --port "$port" calibration zero >/dev/null 2>&1 && "$CLI" --port "$port" calibration use --offsets --ratios 2>/dev/null |
    grep -qx 'flags 6 (offsets used, ratios used)'
check "calibration zero and use" $?

# Lost and changed echoes each count against the run; every wait is the 1000 ms answer limit at most.
start_sim "$tmp/sim5" --no-pacing --ping-drop-every 2
out="$("$CLI" --port "$port" ping --count 4 --interval 1)"; rc=$?
[ $rc -eq 1 ] && [ "$(echo "$out" | grep -c 'Timeout error$')" -eq 2 ] && echo "$out" | grep -qx 'ping 2: Timeout error' &&
    echo "$out" | grep -qx 'ping 4: Timeout error' && echo "$out" | tail -n1 | grep -q '^4 sent, 2 ok, 0 wrong, 2 lost,'
check "ping: every 2nd echo dropped is lost and exits 1" $?
start_sim "$tmp/sim6" --no-pacing --ping-corrupt-every 2
out="$("$CLI" --port "$port" ping --count 4 --interval 1)"; rc=$?
[ $rc -eq 1 ] && [ "$(echo "$out" | grep -c 'ERROR in data$')" -eq 2 ] && echo "$out" | grep -qx 'ping 4: ERROR in data' &&
    echo "$out" | tail -n1 | grep -q '^4 sent, 2 ok, 2 wrong, 0 lost,'
check "ping: every 2nd echo changed is wrong and exits 1" $?

# A unit that never answers: every command ends with status 1 and says why, none reports success.
start_sim "$tmp/sim7" --no-pacing --silent
cp "$tmp/all.txt" "$tmp/silent.txt"
while IFS='|' read -r what expect args; do
    # shellcheck disable=SC2086
    "$CLI" --port "$port" ${args//TMP/$tmp} </dev/null >"$tmp/out" 2>"$tmp/err"; rc=$?
    [ $rc -eq 1 ] && cat "$tmp/out" "$tmp/err" | grep -q -- "$expect" && ! grep -q '^\(read\|wrote\|verified\) ' "$tmp/out"
    check "silent unit: $what exits 1" $?
done <<'ROWS'
eeprom read|^Please power up the Target and try again$|eeprom read --start 0FF0 -o TMP/none.txt
eeprom write|^Please power up the Target and try again$|eeprom write TMP/silent.txt --end 0010 --verify
setup read|did not send its production data|setup
setup store|did not confirm the store|setup --serial 5 --week 1 --year 2010 --hardware 1
error log|did not tell its error count|errors
reboot|did not confirm the reboot|reboot
calibration|did not enter calibration mode|calibration show
ping|^1 sent, 0 ok, 0 wrong, 1 lost|ping --count 1
ROWS
[ ! -e "$tmp/none.txt" ]; check "silent unit: a failed read writes no file" $?
"$CLI" --port "$port" setup --serial 5 --week 1 --year 2005 --hardware 1 >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 2 ] && grep -qx 'NOT a Valit Year, 2006-2099' "$tmp/err" && [ ! -s "$tmp/out" ] && ! grep -q 'within' "$tmp/err"
check "setup: a refused year exits 2 without waiting for the unit" $?

start_sim "$tmp/sim8" --no-pacing --no-errors
out="$("$CLI" --port "$port" errors)"; rc=$?
[ $rc -eq 0 ] && [ "$out" = " Error list count 0" ]; check "errors: an empty log ends after its count" $?
"$CLI" --port "$port" eeprom read -o "$tmp/all.bin" >/dev/null 2>&1 && [ "$(stat -c %s "$tmp/all.bin")" -eq 4096 ] &&
    printf '\x5A' | dd of="$tmp/all.bin" bs=1 seek=4095 conv=notrunc status=none &&
    out="$("$CLI" --port "$port" eeprom write "$tmp/all.bin" --start 0FF0 --end 1000 --verify 2>/dev/null)" &&
    echo "$out" | grep -qx 'verified 0FF0..1000' && "$CLI" --port "$port" eeprom read --start 0FF0 -o "$tmp/last.txt" >/dev/null 2>&1 &&
    grep -q '^0FF0:\([0-9A-F][0-9A-F],\)\{15\}5A;' "$tmp/last.txt"
check "eeprom .bin write --verify of the last block reaches address 0FFF" $?

finish
