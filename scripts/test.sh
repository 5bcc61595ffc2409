#!/usr/bin/env bash
# Builds Quillark with AddressSanitizer and UndefinedBehaviorSanitizer (in build-test/) and runs
# every test. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLARK_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DQUILLARK_TESTS=ON
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-test --output-on-failure --timeout 300 -j "$(nproc)"
