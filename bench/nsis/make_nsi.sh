#!/usr/bin/env bash
# Writes an NSIS script that installs the tree DIR (zlib, not solid, 64-bit), for the side-by-side
# benchmark. The installer records, in milliseconds, the time its install section spent
# extracting, in the file named by TIMEFILE (a Windows path).
# Usage: make_nsi.sh DIR OUT.nsi OUT.exe TIMEFILE
set -euo pipefail
tree=$(cd "$1" && pwd)
nsi=$2
exe=$3
timefile=$4
cat >"$nsi" <<NSI
Unicode true
Target amd64-unicode
SetCompressor zlib
Name "Tvex III"
OutFile "$exe"
InstallDir "C:\\TvexNsis"
RequestExecutionLevel admin
SilentInstall silent
Section
  System::Call 'kernel32::GetTickCount() i .r0'
  SetOutPath "\$INSTDIR"
  File /r "$tree/*.*"
  System::Call 'kernel32::GetTickCount() i .r1'
  IntOp \$2 \$1 - \$0
  FileOpen \$3 "$timefile" w
  FileWrite \$3 "\$2"
  FileClose \$3
SectionEnd
NSI
