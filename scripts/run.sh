#!/usr/bin/env bash
# Builds Vellumo (installing what is missing) and starts it. Only the program
# is built; scripts/test.sh builds the tests and benchmarks.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh" vellumo
exec "${VELLUMO_BUILD_DIR:-$here/build}/app/vellumo" "$@"
