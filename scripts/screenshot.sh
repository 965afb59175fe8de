#!/bin/sh
# Takes a picture of the main window connected to the simulated unit:
#   scripts/screenshot.sh [path/to/voltmast-tool] [output.png] [page]
# page is a tab caption ("Outputs", "Low Battery", ...); the default is the
# "General" page. Needs xvfb-run and ImageMagick's import (and xdotool for a
# page other than "General"); builds nothing.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-}
if [ -z "$bin" ]; then
    for candidate in "$here/build/app/voltmast-tool" "$here/../build-gui/app/voltmast-tool"; do
        if [ -x "$candidate" ]; then bin=$candidate; break; fi
    done
fi
out=${2:-"$here/docs/main_window.png"}
page=${3:-General}
# The notebook's tabs in their order; the page is reached by Ctrl+Tab presses.
tabs="General|Diagnostic|Inputs|CAN Inputs|Virtual Inputs|CAN Export|Outputs|Flash|Low Battery|Start Button|Low Current"
steps=$(printf '%s\n' "$tabs" | tr '|' '\n' | grep -n -x -F -- "$page" | cut -d: -f1)
if [ -z "$steps" ]; then
    echo "no page \"$page\"; one of: $tabs" >&2
    exit 1
fi
steps=$((steps - 1))
if [ -z "$bin" ] || [ ! -x "$bin" ]; then
    echo "voltmast-tool not found; pass its path as the first argument" >&2
    exit 1
fi
needed="xvfb-run import"
[ "$steps" -gt 0 ] && needed="$needed xdotool"
for tool in $needed; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
mkdir -p "$(dirname "$out")"
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

# A scratch folder keeps the run's settings file away from the real one.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin" "$work/voltmast-tool"

xvfb-run -a -s '-screen 0 1280x900x24' sh -c '
    cd "$1"
    ./voltmast-tool --sim --no-splash &
    pid=$!
    sleep 5
    if [ "$3" -gt 0 ]; then
        xdotool search --name "Voltmast Tool" windowfocus 2>/dev/null || true
        i=0
        while [ "$i" -lt "$3" ]; do xdotool key ctrl+Tab; i=$((i + 1)); done
        sleep 1
    fi
    import -window root "$2.full.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' sh "$work" "$out" "$steps"

# Cut away the empty screen around the window where ImageMagick can.
if command -v convert >/dev/null; then
    convert "$out.full.png" -trim +repage "$out" && rm -f "$out.full.png"
else
    mv "$out.full.png" "$out"
fi
echo "$out"
