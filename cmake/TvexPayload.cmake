# tvex_add_payload(<target> <directory> [DEPENDS <targets that make the tree>]): a static
# library defining g_payloadTable and g_payloadTableSize (payload/payload_entry.h) from every
# file below <directory>. <directory> may be @<file>: the tree is then the folder named in
# <file> when the build runs, so that the product's installer follows the file that
# `make installer` writes instead of the cache.
#
# payloadgen runs at every build, because nothing tells CMake when the tree changes, but it
# rewrites its outputs only when their bytes change, so an unchanged tree recompiles nothing.
# The data reaches the object file through an assembler .incbin of the generated blob; the C++
# side is a small table of pointers into it. Native trees run the payloadgen of the same tree;
# cross trees run the host build's (TVEX_HOST_BIN). The generating step is the custom target
# <target>_generate; it runs after the DEPENDS targets, whatever writes the tree.
function(tvex_add_payload target dir)
  cmake_parse_arguments(P "" "" "DEPENDS" ${ARGN})
  if(NOT dir MATCHES "^@")
    get_filename_component(dir "${dir}" ABSOLUTE)
  endif()
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}.payload")
  file(MAKE_DIRECTORY "${out}")
  string(MAKE_C_IDENTIFIER "tvex_payload_${target}" symbol)
  if(CMAKE_CROSSCOMPILING)
    if(NOT TVEX_HOST_BIN)
      message(FATAL_ERROR "tvex_add_payload(${target}): set TVEX_HOST_BIN to the host build "
                          "folder that holds payloadgen")
    endif()
    set(generator "${TVEX_HOST_BIN}/payloadgen")
    set(generator_target "")
  else()
    set(generator "$<TARGET_FILE:payloadgen>")
    set(generator_target payloadgen)
  endif()
  if(WIN32)
    set(format coff)
  else()
    set(format elf)
  endif()

  set(outputs "${out}/payload.bin" "${out}/payload.s" "${out}/payload_table.cpp")
  add_custom_target(${target}_generate
    COMMAND "${generator}" --target ${format} --symbol ${symbol} "${dir}" "${out}"
    BYPRODUCTS ${outputs}
    COMMENT "Generating the payload table of ${target} from ${dir}"
    VERBATIM)
  if(generator_target OR P_DEPENDS)
    add_dependencies(${target}_generate ${generator_target} ${P_DEPENDS})
  endif()

  add_library(${target} STATIC "${out}/payload_table.cpp" "${out}/payload.s")
  add_dependencies(${target} ${target}_generate)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  # The assembler finds the blob through this include path; its changes are not seen by any
  # dependency scanner, so name it outright.
  set_source_files_properties("${out}/payload.s" PROPERTIES
    COMPILE_OPTIONS "-Wa,-I${out}"
    OBJECT_DEPENDS "${out}/payload.bin")
endfunction()
