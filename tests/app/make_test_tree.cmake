# Lays out a product tree for the test installers:
#   cmake -DOUT=<dir> [-DSTUB=<tvex3.exe>] -P make_test_tree.cmake
# The tree is rewritten from scratch every time.
#
#   tvex3.exe                      the stand-in simulator (writes launch.log when started), or
#                                  without STUB a few bytes in its place (native trees)
#   Changelog.txt                  stored (small)
#   License.txt                    packed (text)
#   examples\Educational\noise.asc packed, barely compressible
#   lib\cmp\standard.bjt           a model database that an update merges
#   lib\sub\edge1024.lib           exactly 1024 bytes: stored
#   lib\sub\edge1025.lib           1025 bytes: packed
#   lib\sym\*.asy                  the six symbols installed read-only, and one writable
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}/examples/Educational" "${OUT}/lib/cmp" "${OUT}/lib/sub"
     "${OUT}/lib/sym")
if(STUB)
  file(COPY_FILE "${STUB}" "${OUT}/tvex3.exe")
else()
  file(WRITE "${OUT}/tvex3.exe" "a program would be here\r\n")
endif()

file(WRITE "${OUT}/Changelog.txt" "Tvex III change log\r\n\r\n2.21m: test build.\r\n")

set(licence "")
foreach(i RANGE 1 60)
  string(APPEND licence "Line ${i} of the licence text that the test installer carries.\r\n")
endforeach()
file(WRITE "${OUT}/License.txt" "${licence}")

# Barely compressible text: a linear congruential sequence of hex digits.
set(noise "")
set(x 12345)
foreach(i RANGE 1 1500)
  math(EXPR x "(${x} * 1103515245 + 12345) % 2147483648")
  math(EXPR digit "(${x} >> 16) % 16" OUTPUT_FORMAT HEXADECIMAL)
  string(APPEND noise "${digit}")
endforeach()
file(WRITE "${OUT}/examples/Educational/noise.asc" "${noise}")

file(WRITE "${OUT}/lib/cmp/standard.bjt"
  "* Test models shipped with the test installer\r\n"
  "*\r\n"
  ".model 2N3904 NPN(IS=1E-14 VAF=100 BF=300 Vceo=40 Icrating=200m mfg=Test_Parts)\r\n"
  ".model 2N3906 PNP(IS=1E-14 VAF=100 BF=200 Vceo=40 Icrating=200m mfg=Test_Parts)\r\n")

string(REPEAT "0123456789abcdef" 64 edge)
file(WRITE "${OUT}/lib/sub/edge1024.lib" "${edge}")
file(WRITE "${OUT}/lib/sub/edge1025.lib" "${edge}x")

foreach(sym cap diode polcap schottky varactor zener res)
  file(WRITE "${OUT}/lib/sym/${sym}.asy" "Version 4\r\nSymbolType CELL\r\nSYMATTR Prefix ${sym}\r\n")
endforeach()
