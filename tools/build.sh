#!/usr/bin/env bash
# Configures and builds Tolvarine into build/ (extra arguments go to CMake).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$top/build" -j"$(nproc)"
