#!/usr/bin/env bash
# Installs what is missing, builds Torvix and runs the whole test suite.
#   scripts/test.sh              release build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-sanitize/
#   scripts/test.sh --tsan       ThreadSanitizer build in build-tsan/, the threaded tests only
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh"

build=build options=() selection=()
if [ "${1:-}" = --sanitize ]; then
  build=build-sanitize
  options=(-DTORVIX_SANITIZE=ON)
elif [ "${1:-}" = --tsan ]; then
  build=build-tsan
  options=(-DTORVIX_TSAN=ON -DTORVIX_GUI=OFF)
  selection=(-L threads -LE long)
  export TSAN_OPTIONS="halt_on_error=1 exitcode=66 ${TSAN_OPTIONS:-}" TORVIX_THREADS_QUICK=1
fi
cmake -S . -B "$build" "${options[@]}" > /dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "${selection[@]}"
