#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool with a simulated unit connected.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
voltmast_install_deps
voltmast_build build
exec build/app/voltmast-tool --sim "$@"
