#!/usr/bin/env bash
# Builds the Debian package from this build tree and checks what it holds and
# what it asks for. Usage: package_test.sh BUILD_DIR
set -u
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fails=0
check() { if [ "$2" -eq 0 ]; then echo "ok   $1"; else echo "FAIL $1"; fails=$((fails + 1)); fi; }

(cd "$build" && cpack -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1); check "cpack builds the package" $?
deb="$(ls "$tmp"/voltmast-tool_*.deb 2>/dev/null | head -n1)"
[ -n "$deb" ] || { cat "$tmp/cpack.log"; exit 1; }
dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/files"
for f in ./usr/bin/voltmast-tool ./usr/bin/voltmast-cli ./usr/bin/voltmast-sim \
         ./usr/share/applications/voltmast-tool.desktop ./usr/share/icons/hicolor/scalable/apps/voltmast-tool.svg \
         ./lib/udev/rules.d/60-voltmast-serial.rules; do
    grep -qx "$f" "$tmp/files"; check "holds $f" $?
done
depends="$(dpkg-deb -f "$deb" Depends)"
echo "$depends" | grep -q 'libqt6widgets6' && echo "$depends" | grep -q 'libqt6serialport6' &&
    echo "$depends" | grep -q 'libqt6charts6'
check "depends on the Qt runtime it links ($depends)" $?

dpkg-deb -x "$deb" "$tmp/root"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$tmp/root/usr/share/applications/voltmast-tool.desktop"; check "desktop entry is valid" $?
fi
if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
    udevadm verify "$tmp/root/lib/udev/rules.d/60-voltmast-serial.rules"; check "udev rule is valid" $?
else
    # Without udevadm verify: every line is a comment or key=value pairs udev knows.
    ! grep -Ev '^(#.*|)$' "$tmp/root/lib/udev/rules.d/60-voltmast-serial.rules" |
        grep -Ev '^(SUBSYSTEM=="[^"]+"|KERNEL=="[^"]+"|GROUP="[^"]+"|MODE="[0-7]+")(, (SUBSYSTEM=="[^"]+"|KERNEL=="[^"]+"|GROUP="[^"]+"|MODE="[0-7]+"))*$'
    check "udev rule lines are well formed" $?
fi
"$tmp/root/usr/bin/voltmast-cli" --version | grep -q '^voltmast-cli [0-9]'; check "the packaged cli runs" $?
# Every dependency resolves on this Debian release (nothing is installed).
if command -v apt-get >/dev/null; then
    apt-get install --simulate -qq "$deb" >"$tmp/apt.log" 2>&1; check "apt can install it here" $?
fi
[ $fails -eq 0 ]
