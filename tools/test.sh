#!/usr/bin/env bash
# Installs what is missing, then builds Tolvarine twice and runs every test in each,
# headless: the normal build (build/), then the AddressSanitizer + UndefinedBehaviorSanitizer
# build (build-asan/), where any report fails its test. Extra arguments go to CMake.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen

times=()
phase() {
  local name=$1 start=$SECONDS
  shift
  echo "=== $name"
  "$@"
  times+=("$name: $((SECONDS - start)) s")
}
run_tests() {
  (cd "$top/$1" && ctest --output-on-failure -j"$(nproc)" --timeout 300)
}

phase "build" "$top/tools/build.sh" "$@"
phase "tests" run_tests build
phase "sanitizer build" "$top/tools/build.sh" --asan "$@"
phase "sanitizer tests" run_tests build-asan
printf '%s\n' "=== times" "${times[@]}"
