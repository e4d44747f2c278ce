#!/usr/bin/env bash
# Builds Vellumo and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs the tests headless
# (all but the end-to-end ones, which drive outside programs). Any finding of
# either sanitizer fails the test it happens in. Extra arguments go to ctest.
# Expects the packages of scripts/setup.sh.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VELLUMO_SANITIZE_BUILD_DIR:-$here/build-asan}

cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELLUMO_SANITIZE=ON -DVELLUMO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 1800 -LE e2e "$@"
