#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting from
# its corpus in tests/fuzz/corpus/<target>/ (which is left as it is).
#
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
#
# Targets: SettingsFile PhraseFile RibbonFile OrderFile Picture Outline Ribbon
# (default: all).
# Runs as many targets at once as there are cores. A crash fails the script;
# the input that caused it is kept in the work folder. Once the fault is
# mended, copy that input into tests/fuzz/corpus/<target>/ so that every test
# run replays it. VELLUMO_FUZZ_WORK names a work folder to keep (the grown
# corpora stay there for the next run); otherwise a temporary one is used.
set -euo pipefail

# All in one function: bash reads it whole before running it, so the script
# can be edited while a long run goes on.
main() {
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  build_dir=${VELLUMO_FUZZ_BUILD_DIR:-$here/build-fuzz}
  seconds=${1:-60}
  [ $# -gt 0 ] && shift
  targets=("$@")
  if [ ${#targets[@]} -eq 0 ]; then
    targets=(SettingsFile PhraseFile RibbonFile OrderFile Picture Outline Ribbon)
  fi

  CC=clang CXX=clang++ cmake -S "$here" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMO_FUZZ=ON >/dev/null
  cmake --build "$build_dir" --parallel "$(nproc)"

  if [ -n "${VELLUMO_FUZZ_WORK:-}" ]; then
    work=$VELLUMO_FUZZ_WORK
    mkdir -p "$work"
  else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
  fi
  # The targets write files with fsync on every input; a memory file system
  # keeps that from being the bottleneck.
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
  export QT_QPA_PLATFORM=offscreen
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/tests/fuzz/lsan.supp:print_suppressions=0}

  run_target() {
    local t=$1 dir=$work/$1
    mkdir -p "$dir/corpus"
    "$build_dir/tests/fuzz/vellumo_fuzz_$t" -max_total_time="$seconds" -timeout=30 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/" \
      "$dir/corpus" "$here/tests/fuzz/corpus/$t" >"$dir/log" 2>&1
  }

  pids=()
  names=()
  failed=0
  for t in "${targets[@]}"; do
    if [ ! -x "$build_dir/tests/fuzz/vellumo_fuzz_$t" ]; then
      echo "fuzz: no target $t" >&2
      exit 2
    fi
    run_target "$t" &
    pids+=($!)
    names+=("$t")
    # No more targets at once than there are cores.
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do sleep 1; done
  done
  for i in "${!pids[@]}"; do
    t=${names[$i]}
    if wait "${pids[$i]}"; then status=ok; else status=FAILED; failed=1; fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t/log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$t/log")
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$t/log")
    echo "fuzz: $t $status: ${runs:-?} executions in ${seconds} s (${rate:-?}/s), peak ${rss:-?} MB"
    if [ "$status" = FAILED ]; then
      grep -E -A30 'ERROR|property does not hold|runtime error' "$work/$t/log" | head -60 >&2 || true
      ls "$work/$t"/crash-* "$work/$t"/leak-* "$work/$t"/timeout-* "$work/$t"/oom-* 2>/dev/null >&2 || true
    fi
  done
  return $failed
}

main "$@"
