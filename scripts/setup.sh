#!/usr/bin/env bash
# Installs what building and testing Torvix needs on Debian 12, when missing.
# As root it runs apt-get; otherwise it prints the apt-get line to run.
set -eu

packages=(
  g++ make cmake               # the build
  libtclap-dev                 # command-line parsing of torvix
  zlib1g-dev                   # gzip input (libz.a for the static torvix_legacy too)
  libfltk1.1-dev               # the graphical front end torvix_gui
  libgtest-dev                 # unit tests
  xvfb xauth xdotool           # graphical tests on a virtual display
  clang libclang-rt-14-dev     # fuzzing with libFuzzer
  time file                    # peak memory in benchmarks; the static-build check
  bedtools tabix               # BED output read by bedtools; bgzip for compressed-input tests
  imagemagick                  # the screenshots in docs/ (scripts/gui-screenshots.sh)
  snakemake                    # the workflow in workflow/ and its test
  man-db groff-base            # the manual page's check (man --warnings)
  desktop-file-utils           # the check of the front end's .desktop file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Torvix needs these Debian packages. Run as root:" >&2
  echo "  apt-get update && $line" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$line
