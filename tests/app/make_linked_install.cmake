# Lays out an existing installation whose lib folder is a symbolic link to a folder outside it:
# cmake -DDIR=<dir> -P make_linked_install.cmake. Rewritten from scratch every time.
#
#   <dir>/Tvex/tvex3.exe        a previous installation's program
#   <dir>/Tvex/lib  ->  ../outside
#   <dir>/outside/              empty: nothing may ever be written here
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}/Tvex" "${DIR}/outside")
file(WRITE "${DIR}/Tvex/tvex3.exe" "the previous installation's program")
file(CREATE_LINK ../outside "${DIR}/Tvex/lib" SYMBOLIC)
