#!/usr/bin/env bash
# Uploads a configuration N times to a simulated unit that is unplugged for
# 1.5 s every few seconds, reads it back after each upload and counts how each
# ended. "silently wrong" (exit 0 but the unit holds something else) must stay 0.
# Usage: scripts/soak.sh [N] [BUILD_DIR]
set -u
n="${1:-20}"
build="${2:-build}"
cli="$build/cli/voltmast-cli"
sim="$build/sim/voltmast-sim"
[ -x "$cli" ] && [ -x "$sim" ] || { echo "build first: $cli and $sim are missing" >&2; exit 2; }
tmp="$(mktemp -d)"
trap 'kill $simpid 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT

simpid=""
start_sim() { # options...; sets port
    : >"$tmp/sim.out"
    "$sim" "$@" >"$tmp/sim.out" 2>/dev/null &
    simpid=$!
    for _ in $(seq 100); do [ -s "$tmp/sim.out" ] && break; sleep 0.05; done
    port="$(head -n1 "$tmp/sim.out")"
}

# The configuration to upload: a random one, read from a steady unit.
start_sim --config-seed 42
"$cli" --port "$port" read -o "$tmp/wanted.cfg" >/dev/null 2>&1 || { echo "cannot read the source configuration" >&2; exit 1; }
kill "$simpid"; wait "$simpid" 2>/dev/null

start_sim --disconnect-every 4100 --disconnect-for 1500
completed=0 resumed=0 failedWithMessage=0 silentlyWrong=0 other=0
for i in $(seq "$n"); do
    # Started while the cable is out: nothing was sent, start again once it is back.
    while :; do
        "$cli" --port "$port" upload "$tmp/wanted.cfg" --name SOAK >/dev/null 2>"$tmp/err"; rc=$?
        grep -q "is not attached" "$tmp/err" || break
        sleep 0.3
    done
    if [ $rc -ne 0 ]; then
        if grep -q "USB DISCONNECTED during the upload" "$tmp/err"; then failedWithMessage=$((failedWithMessage + 1))
        else other=$((other + 1)); echo "upload $i: exit $rc: $(tail -n1 "$tmp/err")" >&2; fi
        continue
    fi
    grep -q "the upload goes on" "$tmp/err" && resumed=$((resumed + 1))
    # Read back (a read survives an unplug on its own; try again if it was cut short).
    for _ in $(seq 20); do "$cli" --port "$port" read -o "$tmp/back.cfg" >/dev/null 2>&1 && break; sleep 0.3; done
    if cmp -s "$tmp/wanted.cfg" "$tmp/back.cfg"; then completed=$((completed + 1))
    else silentlyWrong=$((silentlyWrong + 1)); echo "upload $i: exit 0 but the unit holds something else" >&2; fi
done
echo "uploads: $n"
echo "completed: $completed (of which resumed after an unplug: $resumed)"
echo "failed with a message: $failedWithMessage"
echo "other failures: $other"
echo "silently wrong: $silentlyWrong"
[ "$silentlyWrong" -eq 0 ]
