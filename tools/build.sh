#!/usr/bin/env bash
# Configures and builds Tolvarine into build/ (extra arguments go to CMake).
# With --asan first: the AddressSanitizer + UndefinedBehaviorSanitizer build, in build-asan/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=build
options=()
if [[ "${1:-}" == --asan ]]; then
  shift
  dir=build-asan
  options=(-DTOLVARINE_ASAN=ON)
fi
"$top/tools/setup.sh"
cmake -S "$top" -B "$top/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" "$@"
cmake --build "$top/$dir" -j"$(nproc)"
