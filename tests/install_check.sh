#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what was installed.
# Faults it guards:
#   - a program, the manual page, the workflow, the example or the .desktop
#     file missing from the install;
#   - the manual page's version not the installed program's --version;
#   - markup errors in the manual page (man --warnings), an option of
#     --help that the manual page does not describe;
#   - a .desktop file that desktop environments refuse;
#   - an installed workflow or cluster profile that cannot run the installed
#     program, or that sends other jobs than the shards to the cluster.
#   install_check.sh BUILD_DIR PROGRAM...   (the programs this build makes)
set -u
build=$1
shift
programs=("$@")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cmake --install "$build" --prefix "$prefix" > "$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"

page=$prefix/share/man/man1/torvix.1
files=(share/man/man1/torvix.1 share/man/man1/torvix_legacy.1 share/torvix/workflow/Snakefile
       share/torvix/workflow/config.yaml share/torvix/workflow/profiles/slurm/config.yaml
       share/torvix/examples/example.fa "${programs[@]/#/bin/}")
gui=no
[[ " ${programs[*]} " == *" torvix_gui "* ]] && gui=yes && files+=(share/applications/torvix_gui.desktop)
for f in "${files[@]}"; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ $failed = 0 ] || exit 1

version=$("$prefix/bin/torvix" --version 2> /dev/null | sed -n 's/.*version: \([0-9.]*[0-9]\)\.$/\1/p')
[ -n "$version" ] || fail "the installed torvix --version shows no version"
page_version=$(sed -n 's/^\.TH TORVIX 1 "[^"]*" "Torvix \([^"]*\)".*/\1/p' "$page")
[ "$version" = "$page_version" ] ||
  fail "torvix --version says '$version', the manual page '$page_version'"

# man renders for a terminal of 80 columns without a pager when not on one.
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" > "$prefix/page.txt" 2> "$prefix/warnings"
[ -s "$prefix/warnings" ] && fail "man --warnings on the manual page:" && cat "$prefix/warnings"
grep -q "^EXIT STATUS" "$prefix/page.txt" || fail "man -l rendered no EXIT STATUS section"
# As a user with the prefix's manual pages on MANPATH finds them.
for name in torvix torvix_legacy; do
  [ "$(MANPATH="$prefix/share/man" man -w "$name" 2> /dev/null)" = "$page" ] ||
    fail "man $name does not lead to the installed torvix page"
done

# Long option names of the usage text, each of which the page must describe.
for option in $("$prefix/bin/torvix" --help 2> /dev/null | grep -o -- '--[A-Za-z_]\{2,\}' | sort -u); do
  grep -q -E -- "^ *(-[A-Za-z], |--, )?${option}( |$)" "$prefix/page.txt" ||
    fail "the manual page does not describe $option"
done

if [ $gui = yes ]; then
  desktop-file-validate "$prefix/share/applications/torvix_gui.desktop" ||
    fail "desktop-file-validate refuses torvix_gui.desktop"
fi

# The installed workflow on the installed example, with the installed torvix
# and the installed cluster profile. A stand-in sbatch runs each job at once
# and notes its name: only shard jobs may go to the cluster.
mkdir "$prefix/fake"
cat > "$prefix/fake/sbatch" << 'END'
#!/usr/bin/env bash
for word in "$@"; do
  case $word in --job-name=*) echo "${word#--job-name=}" >> "${0%/*}/jobs" ;; esac
done
bash "${@: -1}"
END
chmod +x "$prefix/fake/sbatch"
(cd "$prefix/share/torvix" && PATH="$prefix/fake:$prefix/bin:$PATH" snakemake -q \
   -s workflow/Snakefile --profile workflow/profiles/slurm \
   --config shards=2 outdir="$prefix/results" > "$prefix/snakemake.log" 2>&1) ||
  { fail "the installed workflow failed on the installed example"; tail -20 "$prefix/snakemake.log"; }
jobs=$(sort "$prefix/fake/jobs" 2> /dev/null | uniq -c | tr -s ' ')
[ "$jobs" = " 2 torvix-shard" ] || fail "cluster jobs other than the two shards: $jobs"
result=$prefix/results/example.torvix
mv "$result" "$result.merged"
(cd "$prefix/share/torvix" && "$prefix/bin/torvix" examples/example.fa "$result" 2> /dev/null)
cmp "$result.merged" "$result" || fail "the installed workflow's result differs from one run"

[ $failed = 0 ] && echo "installed programs, manual page, workflow, example and .desktop file agree"
exit $failed
