# Lays out an existing installation whose lib folder is a symbolic link to a folder outside it,
# and one with a link at a file's name: cmake -DDIR=<dir> -P make_linked_install.cmake. Rewritten
# from scratch every time.
#
#   <dir>/Tvex/tvex3.exe                  a previous installation's program
#   <dir>/Tvex/lib            ->  ../outside
#   <dir>/TvexFile/tvex3.exe              a previous installation's program
#   <dir>/TvexFile/Changelog.txt  ->  ../outside
#   <dir>/outside/                        empty: nothing may ever be written here
#
# Wine shows a Unix symbolic link as a reparse point only when it leads to a folder: one to a
# file looks like the file itself to every call.
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}/Tvex" "${DIR}/TvexFile" "${DIR}/outside")
file(WRITE "${DIR}/Tvex/tvex3.exe" "the previous installation's program")
file(CREATE_LINK ../outside "${DIR}/Tvex/lib" SYMBOLIC)
file(WRITE "${DIR}/TvexFile/tvex3.exe" "the previous installation's program")
file(CREATE_LINK ../outside "${DIR}/TvexFile/Changelog.txt" SYMBOLIC)
