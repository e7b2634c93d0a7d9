#!/usr/bin/env bash
# Builds everything and runs every test. "asan" as the first argument uses the
# AddressSanitizer + UndefinedBehaviorSanitizer preset instead of the release one.
# The release run then fuzzes each target for a short time (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
sv_install_packages
preset=${1:-release}
export QT_QPA_PLATFORM=offscreen
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
if [[ $preset == release ]]; then
    bash scripts/fuzz.sh
fi
