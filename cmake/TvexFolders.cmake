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

# tvex_add_fuzz_target(<name> <harness.cpp> <cmpdb sources...>): a libFuzzer program under
# AddressSanitizer and UndefinedBehaviorSanitizer (clang, TVEX_FUZZ only). The cmpdb sources it
# exercises are compiled into the target itself so that libFuzzer sees their coverage whatever
# the rest of the tree is built with.
function(tvex_add_fuzz_target name harness)
  set(sources ${ARGN})
  list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/cmpdb/)
  add_executable(${name} ${harness} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined
                                         -fno-sanitize-recover=undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE tvex_payload tvex_platform)
endfunction()
