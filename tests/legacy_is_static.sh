#!/usr/bin/env bash
# torvix_legacy must run on older Linux systems: no shared library at all.
set -u
exe=$1
out=$(ldd "$exe" 2>&1)
case "$out" in
  *"not a dynamic executable"*) ;;
  *) echo "ldd lists shared libraries of $exe:"; echo "$out"; exit 1 ;;
esac
if command -v file > /dev/null; then
  file -L "$exe" | grep -q "statically linked" || { echo "file does not call $exe static: $(file -L "$exe")"; exit 1; }
  file -L "$exe" | grep -q "x86-64" || { echo "$exe is not an x86-64 executable"; exit 1; }
fi
echo "$exe is static"
