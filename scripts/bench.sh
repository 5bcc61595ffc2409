#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench/) and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLARK_TESTS=OFF -DQUILLARK_BENCH=ON >/dev/null
cmake --build build-bench
export QUILLARK_HOME="$(mktemp -d)"
trap 'rm -rf "$QUILLARK_HOME"' EXIT
for bench in build-bench/bench/bench_*; do
  if [ -f "$bench" ] && [ -x "$bench" ]; then
    "$bench"
  fi
done
