#!/usr/bin/env bash
# torvix_legacy must run on older Linux systems, so it links no shared library
# at all, and must write the same bytes as torvix -- output, messages, masked
# file and exit status -- for every search mode and output format.
#   legacy_matches_torvix.sh TORVIX TORVIX_LEGACY FASTA
set -u
torvix=$1 legacy=$2
golden=$(dirname "$(realpath "$0")")/golden/run_golden.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
ldd "$legacy" 2>&1 | grep -q "not a dynamic executable" || { echo "ldd lists shared libraries of $legacy"; failed=1; }
if command -v file > /dev/null; then
  file -L "$legacy" | grep -q "x86-64.*statically linked" || { echo "not a static x86-64 program: $(file -L "$legacy")"; failed=1; }
fi
# Each run of torvix becomes a golden case that torvix_legacy must pass.
for mode in exact extendExact imperfect; do
  for format in 0 1 2 3 4; do
    c="$work/${mode}_$format"
    mkdir "$c" && cp "$3" "$c/in.fa"
    echo "torvix --searchMode $mode --outputFormat $format --maskX -f 3 in.fa" > "$c/cmd"
    "$golden" --update --bin-dir "$(dirname "$torvix")" "$c"
    "$golden" --bin-dir "$(dirname "$legacy")" --program "$(basename "$legacy")" "$c" || failed=1
  done
done
exit $failed
