#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan (or
# $ASAN_BUILD_DIR) and runs the whole test suite there, the soak at its full 500 challengers.
# Any error, leak or undefined behaviour fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ASAN_BUILD_DIR:-$root/build-asan}
"$root/scripts/setup.sh" sanitize
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVREL_SANITIZE=ON \
  -DKAVREL_TESTS=ON -DKAVREL_TOOLS=ON -DKAVREL_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks inside the system's font and window libraries, not ours.
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export KAVREL_SOAK_CHALLENGERS=${KAVREL_SOAK_CHALLENGERS:-500}
cd "$build"
# Timings mean nothing under the sanitizers: the speed checks skip themselves.
ctest --output-on-failure -j"$(nproc)" --timeout 1800 "$@"
