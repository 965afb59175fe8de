#!/bin/sh
# Takes a picture of the main window connected to the simulated unit:
#   scripts/screenshot.sh [path/to/voltmast-tool] [output.png]
# Needs xvfb-run and ImageMagick's import; builds nothing.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-}
if [ -z "$bin" ]; then
    for candidate in "$here/build/app/voltmast-tool" "$here/../build-gui/app/voltmast-tool"; do
        if [ -x "$candidate" ]; then bin=$candidate; break; fi
    done
fi
out=${2:-"$here/docs/main_window.png"}
if [ -z "$bin" ] || [ ! -x "$bin" ]; then
    echo "voltmast-tool not found; pass its path as the first argument" >&2
    exit 1
fi
for tool in xvfb-run import; do
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
    import -window root "$2.full.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' sh "$work" "$out"

# Cut away the empty screen around the window where ImageMagick can.
if command -v convert >/dev/null; then
    convert "$out.full.png" -trim +repage "$out" && rm -f "$out.full.png"
else
    mv "$out.full.png" "$out"
fi
echo "$out"
