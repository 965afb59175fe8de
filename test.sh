#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
# Quick set while working: ctest --test-dir build -L 'unit|link|gui|e2e'
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
voltmast_install_deps
voltmast_build build
ctest --test-dir build --output-on-failure -j2 "$@"
