#!/usr/bin/env bash
# Long fuzzing runs: every target (or the ones named) for some hours, the
# grown corpora kept in build-fuzz/long-run/ from one run to the next.
#
#   tests/fuzz/long-run.sh [hours per target, default 1] [target ...]
#
# Afterwards, to fold what the run found into the corpus that every test run
# replays (kept small: only inputs that add coverage):
#   build-fuzz/tests/fuzz/vellumo_fuzz_<target> -merge=1 \
#     tests/fuzz/corpus/<target> build-fuzz/long-run/<target>/corpus
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
hours=${1:-1}
[ $# -gt 0 ] && shift
export VELLUMO_FUZZ_WORK=${VELLUMO_FUZZ_WORK:-${VELLUMO_FUZZ_BUILD_DIR:-$here/build-fuzz}/long-run}
exec "$here/scripts/fuzz.sh" "$(awk "BEGIN { print int($hours * 3600) }")" "$@"
