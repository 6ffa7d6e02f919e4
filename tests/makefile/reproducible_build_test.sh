#!/usr/bin/env bash
# Two copies of this checkout (its files as they are now, uncommitted changes included) at two
# paths of different lengths, each built as `make installer` builds its programs and carrying
# the fixture tree from its own copy: tvexsetup.exe and tvex-extract must be the same bytes, and
# neither may hold a path of the machine. Only the two programs and what they need are built.
#   reproducible_build_test.sh ROOT WORK      (JOBS from the environment, default: all cores)
set -euo pipefail
root=$(realpath "$1") work=$2
jobs=${JOBS:-$(nproc)}
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
# Run from ctest under make: the outer make's job server and flags are not ours.
unset MAKEFLAGS MFLAGS MAKELEVEL
fail() { echo "FAIL: $*"; exit 1; }
git -C "$root" rev-parse --git-dir >/dev/null 2>&1 || { echo "skipped: $root is no git checkout"; exit 77; }

copies=("$work/a/src" "$work/second-copy/of/the/tvex-sources")
started=$(date +%s)
for copy in "${copies[@]}"; do
  mkdir -p "$copy"
  # Tracked and new files as they are in the checkout, nothing that git ignores (build trees).
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$copy"
  log=$copy/build.log
  step() { "$@" >>"$log" 2>&1 || { tail -30 "$log"; fail "in $copy: $*"; }; }
  step make -s -C "$copy" --no-print-directory host-tree
  step make -s -C "$copy" --no-print-directory win-tree TARGETS=payloadgen JOBS="$jobs"
  for tree in host win; do printf '%s\n' "$copy/tests/tools/fixture" >"$copy/build/$tree/payload-root"; done
  step cmake --build "$copy/build/host" -j "$jobs" --target tvex-extract
  step cmake --build "$copy/build/win" -j "$jobs" --target tvexsetup
done
echo "built both copies in $(($(date +%s) - started)) s with JOBS=$jobs"

a=${copies[0]}/build b=${copies[1]}/build
for program in win/tvexsetup.exe host/tvex-extract; do
  cmp -s "$a/$program" "$b/$program" || {
    cmp -l "$a/$program" "$b/$program" | head -20 || true
    fail "$program differs between the copies ($(cmp -l "$a/$program" "$b/$program" | wc -l) bytes; offsets above, 1-based)"
  }
  if grep -a -o -F "$work" "$a/$program" "$b/$program" | head -5; then
    fail "$program holds a path of this machine"
  fi
done
echo "tvexsetup.exe and tvex-extract are the same bytes in both copies"
rm -rf "$work"
