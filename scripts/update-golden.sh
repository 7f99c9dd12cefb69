#!/usr/bin/env bash
# Rewrites the expected files of golden cases after a deliberate change of
# output. Read the resulting diff line by line before committing it.
#   scripts/update-golden.sh BUILD_DIR [CASE_NAME...]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd); shift
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=($(ls "$top/tests/golden/cases"))
for c in "${cases[@]}"; do
  "$top/tests/golden/run_golden.sh" --update --bin-dir "$build/cli" "$top/tests/golden/cases/$c"
done
