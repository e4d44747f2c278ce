#!/usr/bin/env bash
# Builds Vellumo (installing what is missing) and starts it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh"
exec "${VELLUMO_BUILD_DIR:-$here/build}/app/vellumo" "$@"
