#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for SECONDS (default 60), starting
# from the committed seed corpus. A crash leaves its input in build-fuzz/findings/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
cd "$top"
CXX=clang++ cmake -S . -B build-fuzz -DTORVIX_FUZZ=ON -DTORVIX_TESTS=OFF > /dev/null
cmake --build build-fuzz -j"$(nproc)" > /dev/null
mkdir -p build-fuzz/findings
for target in reader pipeline preferences; do
  work=build-fuzz/corpus-$target
  mkdir -p "$work"
  cp -n fuzz/corpus/$target/* "$work"/ 2>/dev/null || true
  echo "fuzzing $target for $seconds s"
  build-fuzz/fuzz/fuzz_${target/reader/fasta_reader} -max_total_time="$seconds" -max_len=4096 \
    -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/findings/$target- "$work" 2>&1 | tail -n 12
done
