#!/usr/bin/env bash
# Builds Vellumo with its tests (installing what is missing) and runs them all
# headless through ctest.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${VELLUMO_BUILD_DIR:-$here/build}" --output-on-failure -j "$(nproc)" "$@"
