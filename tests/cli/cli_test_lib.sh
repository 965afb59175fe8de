# Shared by the end-to-end scripts: sourced after CLI and SIM are set.
fails=0
passes=0
check() { # description, condition result
    if [ "$2" -eq 0 ]; then echo "ok   $1"; passes=$((passes + 1)); else echo "FAIL $1"; fails=$((fails + 1)); fi
}
tmp="$(mktemp -d)"
pids=""
trap 'kill $pids 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT
# Starts a simulated unit in the background; sets port to the path it serves.
start_sim() { # output file, options...
    local file="$1"; shift
    "$SIM" "$@" >"$file" 2>/dev/null &
    pids="$pids $!"
    for _ in $(seq 50); do [ -s "$file" ] && break; sleep 0.05; done
    port="$(head -n1 "$file")"
}
finish() {
    echo "$passes passed, $fails failed"
    [ "$fails" -eq 0 ]
}
