#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those that are missing.
# The packages given as arguments are wanted too (a target's own tools: `make fuzz` asks for the
# fuzzing compiler, `make bench` for NSIS and strace).
set -euo pipefail
want=(cmake make g++ zlib1g-dev libgtest-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
      libz-mingw-w64-dev wine64 binutils-mingw-w64-x86-64 osslsigncode openssl $*)
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all present"
  exit 0
fi
echo "deps: installing ${missing[*]}"
SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
echo "deps: done"
