#!/usr/bin/env bash
# torvix_legacy must write the same bytes as torvix: output, messages, masked
# file and exit status, for every search mode and output format.
#   legacy_matches_torvix.sh TORVIX TORVIX_LEGACY FASTA
set -u
torvix=$1 legacy=$2 input=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$input" "$work/in.fa"
cd "$work"

run() { # program label args...
  local program=$1 label=$2; shift 2
  (exec -a torvix "$program" "$@") > "$label.out" 2> "$label.err.raw"
  echo $? > "$label.status"
  sed -E 's/^[0-9]{2,}\.[0-9]{2}\.[0-9]{2} - /HH.MM.SS - /' "$label.err.raw" > "$label.err"
  [ -f in.fa.masked ] && mv in.fa.masked "$label.masked"
}

failed=0
for mode in exact extendExact imperfect; do
  for format in 0 1 2 3 4; do
    args=(--searchMode "$mode" --outputFormat "$format" --maskX -f 3 in.fa)
    run "$torvix" a "${args[@]}"
    run "$legacy" b "${args[@]}"
    for part in out err status masked; do
      cmp -s "a.$part" "b.$part" || { echo "DIFFERS: $part of ${args[*]}"; failed=1; }
    done
  done
done
exit $failed
