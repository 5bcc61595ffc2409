#!/usr/bin/env bash
# Starts Quillark (Release build) on a virtual X display and leaves it running there, so that it
# can be driven with xdotool and photographed with `import -window root`.
#   scripts/display_check.sh [file]   prints the display number and the program's process id
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --display
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLARK_TESTS=OFF >/dev/null
cmake --build build
display=:57
if ! xdpyinfo -display "$display" >/dev/null 2>&1; then
  Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
  sleep 1
fi
export DISPLAY="$display"
export QUILLARK_HOME="${QUILLARK_HOME:-$(mktemp -d)}"
build/quillark "$@" >/dev/null 2>&1 &
echo "DISPLAY=$display QUILLARK_HOME=$QUILLARK_HOME pid=$!"
