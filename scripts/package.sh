#!/bin/sh
# Builds the Debian package into build-package/ and lists what it holds:
#   scripts/package.sh [build dir]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$here/build-package"}
cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOLTMAST_TESTS=OFF >/dev/null
cmake --build "$dir" --target voltmast-tool voltmast-cli voltmast-sim
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/voltmast-tool_*.deb)
echo "$deb"
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'
