#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test three ways:
#   1. g++, warnings as errors;
#   2. clang, AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. clang, ThreadSanitizer, for the suites labelled 'concurrent'.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

jobs=$(nproc)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_init_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

echo "== g++, warnings as errors"
cmake -S . -B build -DCMAKE_CXX_COMPILER=g++ -DTAVRIX_WERROR=ON -DTAVRIX_BUILD_TESTS=ON \
  -DTAVRIX_BUILD_BENCH=ON -DTAVRIX_BUILD_EXAMPLES=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== clang, address and undefined-behaviour sanitizers"
cmake -S . -B build-asan -DCMAKE_CXX_COMPILER=clang++-14 -DTAVRIX_WERROR=ON \
  -DTAVRIX_SANITIZE=address,undefined -DTAVRIX_BUILD_TESTS=ON -DTAVRIX_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== clang, thread sanitizer (concurrent suites)"
cmake -S . -B build-tsan -DCMAKE_CXX_COMPILER=clang++-14 -DTAVRIX_WERROR=ON \
  -DTAVRIX_SANITIZE=thread -DTAVRIX_BUILD_TESTS=ON -DTAVRIX_BUILD_BENCH=OFF -DTAVRIX_BUILD_EXAMPLES=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target concurrent_tests
ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L concurrent
