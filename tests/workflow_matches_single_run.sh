#!/usr/bin/env bash
# The Snakemake workflow against single torvix runs, on real genomes: the
# fungus (36 records) in 4 shards together with a one-record genome given
# gzip-compressed, in two option sets, one of them masking. Faults it guards:
#   - merged result or masked file not byte-identical to one run (shards out
#     of order, header or trailer of the wrong run, a record lost or doubled
#     at a shard boundary, a range option of the user's not honoured);
#   - shards chosen by record count instead of bases;
#   - shards writing masked files beside the genome, where they overwrite
#     each other;
#   - a gzip genome, or a shard without records, breaking the run.
# Skips (status 77) when the shared data folder is absent.
#   workflow_matches_single_run.sh TORVIX_DIR SOURCE_DIR DATA_DIR
set -u
bin_dir=$1 source_dir=$2 data_dir=$3
fungus=$data_dir/fungus_umaydis.fa.gz yeast=$data_dir/yeast_chrI.fa.gz
if [ ! -r "$fungus" ] || [ ! -r "$yeast" ]; then
  echo "skipped: the shared genomes are not in $data_dir"
  exit 77
fi
command -v snakemake > /dev/null || { echo "FAIL: snakemake is not installed (scripts/setup.sh)"; exit 1; }
export PATH="$bin_dir:$PATH"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The workflow reads the fungus plain and the yeast compressed. The single
# runs see the same names, so that their headers name the same files; until
# torvix reads gzip itself, the single run's yeast is plain bytes under the
# .gz name, which is what torvix will then read from it.
mkdir -p "$work/genomes" "$work/single-genomes"
gunzip -c "$fungus" > "$work/genomes/fungus_umaydis.fa"
cp "$yeast" "$work/genomes/yeast_chrI.fa.gz"
gunzip -c "$yeast" > "$work/single-genomes/yeast_chrI.fa.gz"
cp "$work/genomes/fungus_umaydis.fa" "$work/single-genomes/"

run_set() { # NAME OPTIONS MASKING(yes/no)
  local name=$1 options=$2 masking=$3
  local wf=$work/$name/workflow single=$work/$name/single
  mkdir -p "$wf" "$single/results"
  ln -s ../../genomes "$wf/genomes"
  cp -R "$work/single-genomes" "$single/genomes"
  cat > "$wf/config.yaml" <<EOF
genomes:
  - genomes/fungus_umaydis.fa
  - genomes/yeast_chrI.fa.gz
shards: 4
options: "$options"
outdir: results
EOF
  if ! (cd "$wf" && snakemake -s "$source_dir/workflow/Snakefile" --configfile config.yaml \
          --cores 2 -q > snakemake.log 2>&1); then
    fail "$name: snakemake failed"; tail -30 "$wf/snakemake.log"; return
  fi
  local genome
  for genome in fungus_umaydis.fa yeast_chrI.fa.gz; do
    local result=results/${genome%%.*}.torvix
    # shellcheck disable=SC2086 # the options are words, as in the config
    (cd "$single" && torvix $options "genomes/$genome" "$result" 2> /dev/null) ||
      fail "$name: the single run of $genome failed"
    cmp "$wf/$result" "$single/$result" || fail "$name: $result differs from one run"
    if [ "$masking" = yes ]; then
      cmp "$wf/results/$genome.masked" "$single/genomes/$genome.masked" ||
        fail "$name: results/$genome.masked differs from one run's masked file"
    fi
  done
  [ -z "$(ls "$work/genomes" | grep -v -x -e fungus_umaydis.fa -e yeast_chrI.fa.gz)" ] ||
    fail "$name: a job wrote beside the genomes: $(ls "$work/genomes")"
}

# Fast exact search with masking, alignments printed with flanks.
run_set exact_masked "--searchMode exact --maskLower --printRepeatSeqMode 1 -f 5" yes
# The default imperfect search, as GFF, within a record range the user chose
# (which leaves the one-record yeast without any record).
run_set imperfect_gff_range "--outputFormat 2 --sequenceInfoAsComment -U 6 --firstSeq 3 --lastSeq 30" no

# The fungus's shards: consecutive ranges over records 1 to 36, each within
# the largest record of a quarter of the bases.
plan=$work/exact_masked/workflow/results/shards/fungus_umaydis
awk '/^>/ { n++; next } { len[n] += length($0) } END { for (i = 1; i <= n; i++) print len[i] }' \
  "$work/genomes/fungus_umaydis.fa" > "$work/sizes"
ranges=$(cat "$plan"/shard0.range "$plan"/shard1.range "$plan"/shard2.range "$plan"/shard3.range)
if ! awk -v ranges="$ranges" '
  { size[NR] = $1; total += $1; if ($1 > largest) largest = $1 }
  END {
    n = split(ranges, r, /[ \n]+/); next_record = 1
    for (s = 1; s < n; s += 2) {
      if (r[s] != next_record || r[s + 1] < r[s]) { print "ranges not consecutive: " ranges; exit 1 }
      bases = 0; for (i = r[s]; i <= r[s + 1]; i++) bases += size[i]
      if (bases < total / 4 - largest || bases > total / 4 + largest) {
        print "shard " (s + 1) / 2 " holds " bases " of " total " bases"; exit 1 }
      next_record = r[s + 1] + 1
    }
    if (next_record != NR + 1) { print "ranges end at record " next_record - 1 " of " NR; exit 1 }
  }' "$work/sizes"; then
  fail "the fungus's shards are not balanced by bases"
fi

[ $failed = 0 ] && echo "merged results equal single runs in both option sets"
exit $failed
