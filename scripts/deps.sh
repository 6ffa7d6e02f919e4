#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those that are missing.
# The packages given as arguments are wanted too (a target's own tools: `make fuzz` asks for the
# fuzzing compiler, `make bench` for NSIS and strace).
set -euo pipefail
want=(cmake make g++ zlib1g-dev libgtest-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
      libz-mingw-w64-dev wine64 binutils-mingw-w64-x86-64 osslsigncode openssl locales $*)
# Wine takes its ANSI code page from the Unix locale, which must exist: the tests run programs in
# the Japanese (932) and Chinese (936) code pages.
locales=(ja_JP zh_CN)
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# A locale is there when `locale -a` lists it (as ja_JP.utf8).
missing_locales=()
for l in "${locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || missing_locales+=("$l")
done
if [ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ]; then
  echo "deps: all present"
  exit 0
fi
SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ ${#missing[@]} -ne 0 ]; then
  echo "deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
for l in "${missing_locales[@]}"; do
  echo "deps: generating the locale $l.UTF-8"
  $SUDO localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
echo "deps: done"
