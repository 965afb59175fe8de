#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60), all at once, then merges the
# inputs that found new coverage into fuzz/corpus/<target> and prints a table:
# inputs run, inputs a second, coverage, peak memory and any crash with the
# command that reproduces it.
#
# Usage: scripts/fuzz.sh [SECONDS]     (BUILD_DIR=build by default)
# Inputs a second are counted per second of CPU the target used, so the figure
# is what one core gives even when the targets share fewer cores.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${BUILD_DIR:-build}"
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DVOLTMAST_FUZZ=ON >/dev/null
fi
grep -q '^VOLTMAST_FUZZ:BOOL=ON' "$build/CMakeCache.txt" ||
    { echo "$build is not configured with -DVOLTMAST_FUZZ=ON" >&2; exit 2; }

# The targets and their arguments (dictionary, -max_len) come from their CTest
# entries, so this script and CI run them alike.
mapfile -t targets < <(ctest --test-dir "$build" -L fuzz --show-only=json-v1 | python3 -c '
import json, re, shlex, sys
for t in json.load(sys.stdin)["tests"]:
    cmd = t["command"]
    script, exe = cmd[-2], cmd[-1]
    args = [a for a in shlex.split(script) if a.startswith(("-dict=", "-max_len="))]
    print(t["name"], exe, " ".join(args))
')
[ "${#targets[@]}" -gt 0 ] || { echo "no fuzz targets in $build" >&2; exit 2; }
names=()
for line in "${targets[@]}"; do names+=("${line%% *}"); done
cmake --build "$build" --target "${names[@]}" >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# As the CTest entries set it (fuzz/CMakeLists.txt): memory stays flat.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=5}"

pids=()
for line in "${targets[@]}"; do
    read -r name exe args <<<"$line"
    mkdir -p "$work/$name/new"
    # shellcheck disable=SC2086 # args holds separate options
    ( TIMEFORMAT='%U %S'
      { time "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 $args \
            -artifact_prefix="$work/$name/" "$work/$name/new" "fuzz/corpus/$name" \
            >"$work/$name/log" 2>&1 || true; } 2>"$work/$name/cpu" ) &
    pids+=("$!")
done
for pid in "${pids[@]}"; do wait "$pid"; done

printf '%-26s %12s %14s %8s %8s  %s\n' target "inputs run" "inputs/s" cov "RSS MB" crash
status=0
for line in "${targets[@]}"; do
    read -r name exe args <<<"$line"
    log="$work/$name/log"
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    rss="$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")"
    cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    cpu="$(awk '{print $1 + $2}' "$work/$name/cpu" 2>/dev/null || echo 0)"
    rate="$(awk -v n="${runs:-0}" -v c="$cpu" 'BEGIN { printf "%d", (c > 0 ? n / c : 0) }')"
    crash="-"
    artifact="$(find "$work/$name" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'slow-unit-*' \) | head -1)"
    if [ -n "$artifact" ]; then
        mkdir -p fuzz/crashes
        cp "$artifact" "fuzz/crashes/$name-$(basename "$artifact")"
        crash="$exe fuzz/crashes/$name-$(basename "$artifact")"
        status=1
    elif [ -z "$runs" ]; then
        crash="no statistics, see the log: $(tail -3 "$log" | tr '\n' ' ')"
        status=1
    fi
    printf '%-26s %12s %14s %8s %8s  %s\n' "$name" "${runs:-?}" "$rate" "${cov:-?}" "${rss:-?}" "$crash"
    # Keep what found new coverage, for the next run and the regression tests.
    # shellcheck disable=SC2086
    "$exe" -merge=1 $args "fuzz/corpus/$name" "$work/$name/new" >"$work/$name/merge.log" 2>&1 || true
done
exit "$status"
