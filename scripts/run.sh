#!/usr/bin/env bash
# Builds Quillark (Release, in build/) and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLARK_TESTS=OFF >/dev/null
cmake --build build --target quillark
exec build/quillark "$@"
