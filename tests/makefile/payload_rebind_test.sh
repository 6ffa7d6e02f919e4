#!/usr/bin/env bash
# The trees a release engineer builds from: one payload folder, then another, then a file of
# it replaced by one of the same size with its time kept (as tar -x and rsync -a leave it),
# then both folders removed. Each build must carry what the folder holds at that moment, and
# once the folders are gone the default build (the one `make test` runs) must not need them.
#   payload_rebind_test.sh ROOT WORK
set -euo pipefail
root=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
# Run from ctest under make: the outer make's job server and flags are not ours.
unset MAKEFLAGS MFLAGS MAKELEVEL
build=$work/build
a=$work/tree-a b=$work/tree-b
run_make() { make -s -C "$root" --no-print-directory BUILD="$build" JOBS=2 "$@" >>"$work/make.log" 2>&1 ||
  { tail -30 "$work/make.log"; echo "FAIL: make $*"; exit 1; }; }
fail() { echo "FAIL: $*"; exit 1; }
# Installs the tree the build carries into a new folder and prints one file of it.
installed() {
  local out=$work/out-$1
  "$build/host/tvex-extract" "$out" >/dev/null || fail "tvex-extract into $out"
  cat "$out/$2" 2>/dev/null || true
}

mkdir -p "$a/lib" "$b/docs"
printf 'from A\n' >"$a/lib/a.txt"
printf 'from B, one\n' >"$b/docs/b.txt"

run_make extract PAYLOAD="$a"
[ "$(installed 1 lib/a.txt)" = "from A" ] || fail "the first tree is not carried"

run_make extract PAYLOAD="$b"
[ "$(installed 2 docs/b.txt)" = "from B, one" ] || fail "switching to the second tree"
[ ! -e "$work/out-2/lib/a.txt" ] || fail "the first tree is still carried"

touch -r "$b/docs/b.txt" "$work/time"
printf 'from B, two\n' >"$b/docs/b.txt"
touch -r "$work/time" "$b/docs/b.txt"
run_make extract PAYLOAD="$b"
[ "$(installed 3 docs/b.txt)" = "from B, two" ] || fail "a file of the same size and time ships stale"

rm -rf "$a" "$b"
run_make host TARGETS=payloadgen
for f in "$build/host/CMakeCache.txt" "$build/host/build.ninja" "$build/host/Makefile"; do
  [ -f "$f" ] || continue
  if grep -q "$work/tree-" "$f"; then fail "$f still names a removed payload folder"; fi
done
echo "rebinding sequence passed"
rm -rf "$work"
