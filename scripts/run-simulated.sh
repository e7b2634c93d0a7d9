#!/usr/bin/env bash
# Builds the client and starts it with every serial port on the built-in probe simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
sv_install_packages
cmake --preset release >/dev/null
cmake --build --preset release --target svclient
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting under Xvfb (screen :99)."
    exec xvfb-run -a -s "-screen 0 1024x768x24" build/release/svclient --simulate "$@"
fi
exec build/release/svclient --simulate "$@"
