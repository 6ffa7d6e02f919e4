# Lays out links made from outside the program under test, for the platform tests of both trees
# (Wine's programs can make no symbolic link): cmake -DDIR=<dir> -P make_links.cmake. Rewritten
# from scratch every time.
#
#   <dir>/outside/victim.txt          no call may change it
#   <dir>/outside/empty/              no call may remove it
#   <dir>/trusted/plain/
#   <dir>/trusted/folder-link    ->   ../outside/empty
#   <dir>/trusted/file-link      ->   ../outside/victim.txt
#   <dir>/root-link              ->   outside
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}/outside/empty" "${DIR}/trusted/plain")
file(WRITE "${DIR}/outside/victim.txt" "a file outside the folder")
file(CREATE_LINK ../outside/empty "${DIR}/trusted/folder-link" SYMBOLIC)
file(CREATE_LINK ../outside/victim.txt "${DIR}/trusted/file-link" SYMBOLIC)
file(CREATE_LINK outside "${DIR}/root-link" SYMBOLIC)
