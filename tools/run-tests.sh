#!/usr/bin/env bash
# Builds everything with warnings as errors and runs the whole test suite, then builds the
# unit tests again with AddressSanitizer + UndefinedBehaviorSanitizer and runs them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/install-deps.sh test

jobs=$(nproc)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAPESTRA_WERROR=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

if [ "${TAPESTRA_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAPESTRA_WERROR=ON \
    -DTAPESTRA_SANITIZE=ON -DTAPESTRA_BUILD_BENCH=OFF
  cmake --build build-asan -j "$jobs"
  # Qt and fontconfig keep caches until exit; leaks in our own code are still reported.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE process
fi
