# tvex_add_subfolders([EXCEPT <folder>...]): adds every folder below the current source folder
# that holds a CMakeLists.txt, in name order, so that a new test, tool or benchmark folder needs
# no edit here.
function(tvex_add_subfolders)
  cmake_parse_arguments(F "" "" "EXCEPT" ${ARGN})
  file(GLOB folders LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT folders)
  foreach(folder ${folders})
    if(NOT folder IN_LIST F_EXCEPT AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    endif()
  endforeach()
endfunction()

# tvex_add_fuzz_target(<name> <harness.cpp>): a libFuzzer program over the cmpdb library (clang,
# TVEX_FUZZ only, where the whole tree is built with the coverage hooks and the sanitizers).
function(tvex_add_fuzz_target name harness)
  add_executable(${name} ${harness})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE tvex_cmpdb)
endfunction()
