#!/usr/bin/env bash
# Builds the package README's C++ quick start the way the README says, with
# nothing but the package's include/ folder and the system libraries, then
# runs it in a folder of its own and checks what it leaves there:
# surface.bmp, a 400 x 300 picture of a lit surface (many colours, not one
# background), and surface.emf, an enhanced metafile.
# usage: quickstart.sh WINE_RUN COMPILER QUICKSTART_CPP PACKAGE_DIR WORK_DIR
set -u
wine_run=$1 compiler=$2 source=$3 pkg=$4 work=$5
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
cp "$source" quickstart.cpp
# The README's command line, warnings on: the example builds cleanly.
warnings=$("$compiler" -Wall -Wextra -static -I"$pkg/include" quickstart.cpp "$pkg/include/zorvel_i.c" \
           -lole32 -loleaut32 -luuid -lgdi32 -o quickstart.exe 2>&1)
status=$?
[ -z "$warnings" ] || echo "$warnings"
[ $status = 0 ] || { echo "FAIL: the quick start does not build"; exit 1; }
[ -z "$warnings" ] || fail "the quick start builds with warnings"
out=$("$wine_run" ./quickstart.exe 2>&1 | tr -d '\r')
echo "$out"
echo "$out" | grep -qx "surface.bmp: 400 x 300" || fail "no picture drawn"
echo "$out" | grep -qx "surface.emf written" || fail "no metafile written"

if [ -f surface.bmp ]; then
  [ "$(stat -c %s surface.bmp)" = $((14 + 40 + 400 * 300 * 4)) ] || fail "surface.bmp has $(stat -c %s surface.bmp) bytes"
  [ "$(head -c2 surface.bmp)" = BM ] || fail "surface.bmp is no bitmap file"
  colours=$(od -An -v -tx4 -j54 surface.bmp | tr -s ' ' '\n' | sed '/^$/d' | sort -u | wc -l)
  [ "$colours" -ge 100 ] || fail "surface.bmp holds only $colours colours"
else
  fail "surface.bmp missing"
fi
if [ -f surface.emf ]; then
  # An enhanced metafile's header record carries " EMF" at byte 40.
  [ "$(od -An -c -j40 -N4 surface.emf | tr -d ' ')" = EMF ] || fail "surface.emf is no enhanced metafile"
  [ "$(stat -c %s surface.emf)" -gt 1000 ] || fail "surface.emf holds $(stat -c %s surface.emf) bytes"
else
  fail "surface.emf missing"
fi

if [ "$failures" = 0 ]; then echo "quick start: all checks passed"; else exit 1; fi
