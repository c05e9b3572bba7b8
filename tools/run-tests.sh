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

# A short libFuzzer run of every parser of outside data (INI, BMP, any picture file).
if [ "${TAPESTRA_SKIP_FUZZ:-0}" != 1 ] && command -v clang++ >/dev/null; then
  fuzzers="fuzz_ini_file fuzz_bmp_reader fuzz_load_picture"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAPESTRA_FUZZ=ON -DTAPESTRA_BUILD_BENCH=OFF
  # shellcheck disable=SC2086
  cmake --build build-fuzz -j "$jobs" --target $fuzzers
  for fuzzer in $fuzzers; do
    mkdir -p "build-fuzz/corpus/$fuzzer"
    "build-fuzz/tests/fuzz/$fuzzer" -max_total_time="${TAPESTRA_FUZZ_SECONDS:-15}" \
      -artifact_prefix="build-fuzz/" "build-fuzz/corpus/$fuzzer" 2>&1 | tail -n 1
  done
fi

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
