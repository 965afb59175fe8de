# Sourced by run.sh and test.sh: makes sure the Debian packages we build with are here.
VOLTMAST_PACKAGES="cmake ninja-build ccache pkg-config qt6-base-dev qt6-serialport-dev libgl-dev \
qt6-charts-dev libqt6opengl6-dev libsimpleini-dev libcli11-dev googletest libgtest-dev clang-14 libclang-rt-14-dev \
binutils srecord dpkg-dev desktop-file-utils"

voltmast_missing_packages() {
    local missing=""
    for p in $VOLTMAST_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    echo "$missing"
}

voltmast_install_deps() {
    local missing
    missing="$(voltmast_missing_packages)"
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing
    else
        echo "Missing packages. Run this once, then try again:" >&2
        echo "  sudo apt-get install -y$missing" >&2
        return 1
    fi
}

# Configures and builds into $1 (default build/). clang-14 builds everything so the
# fuzz targets come along; without clang the build falls back to the default compiler.
voltmast_build() {
    local dir="${1:-build}"
    local compiler=()
    if [ ! -f "$dir/CMakeCache.txt" ] && command -v clang++-14 >/dev/null; then
        compiler=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DVOLTMAST_FUZZ=ON)
    fi
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${compiler[@]}" >/dev/null &&
        cmake --build "$dir" -j"$(nproc)"
}
