#!/usr/bin/env bash
# Installs what is missing, builds Torvix and runs the whole test suite.
#   scripts/test.sh              release build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-sanitize/
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh"

build=build options=()
if [ "${1:-}" = --sanitize ]; then
  build=build-sanitize
  options=(-DTORVIX_SANITIZE=ON)
fi
cmake -S . -B "$build" "${options[@]}" > /dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
