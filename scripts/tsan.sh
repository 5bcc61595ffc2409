#!/usr/bin/env bash
# Builds Quillark's tests with ThreadSanitizer (in build-tsan/) and runs them. Reports wholly
# inside Qt's libraries, which are not instrumented, are suppressed by scripts/tsan.supp; every
# other report fails its test. Long (the tests run many times slower): CI does not run it.
# Arguments go to ctest (e.g. -R Player).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${TSAN_JOBS:-3}"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLARK_TSAN=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DQUILLARK_TESTS=ON
nice cmake --build build-tsan -j "$jobs"
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp:halt_on_error=1:exitcode=66:second_deadlock_stack=1"
nice ctest --test-dir build-tsan --output-on-failure --timeout 1800 -j "$jobs" "$@"
