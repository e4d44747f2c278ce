#!/usr/bin/env bash
# Builds Vellumo with its tests (installing what is missing) and runs them all
# headless through ctest; then the same tests built with the sanitizers
# (scripts/sanitize.sh) and a bounded run of every fuzz target
# (scripts/fuzz.sh, 60 s each). VELLUMO_TEST_QUICK=1 leaves out the last two.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${VELLUMO_BUILD_DIR:-$here/build}" --output-on-failure -j "$(nproc)" \
  --timeout 1800 "$@"
if [ "${VELLUMO_TEST_QUICK:-0}" != 1 ]; then
  "$here/scripts/sanitize.sh" "$@"
  "$here/scripts/fuzz.sh" "${VELLUMO_FUZZ_SECONDS:-60}"
fi
