# tvex_utf8_code_page(<target>): the Windows program's 8-bit texts are UTF-8, as the installer's
# are (its manifest declares the code page; Windows 10 from version 1903, and Wine, honour it).
# For the programs that work on the installer's paths beside it: the stand-in simulator, which
# must name the folder it was installed to, and the GUI tests' driver. The program must carry no
# other manifest.
function(tvex_utf8_code_page target)
  set(dir ${PROJECT_SOURCE_DIR}/cmake)
  target_sources(${target} PRIVATE ${dir}/utf8_code_page.rc)
  target_include_directories(${target} PRIVATE ${dir})
  set_source_files_properties(${dir}/utf8_code_page.rc PROPERTIES
                              OBJECT_DEPENDS ${dir}/utf8_code_page.manifest)
endfunction()

# tvex_add_code_page_runs(<test> [FILTER <gtest filter>]): runs the Windows test program <test>
# twice more under Wine, as <test>_cp932 and <test>_cp936, with the Japanese and the Chinese
# locale (scripts/deps.sh makes them), whose ANSI code pages Wine gives a program without the
# UTF-8 declaration: the legacy code pages older Windows run the installer in.
set(TVEX_CODE_PAGE_LOCALES 932 ja_JP.UTF-8 936 zh_CN.UTF-8)
function(tvex_add_code_page_runs test)
  cmake_parse_arguments(R "" "FILTER;FIXTURE" "ENVIRONMENT" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  set(args)
  if(R_FILTER)
    set(args --gtest_filter=${R_FILTER})
  endif()
  set(pairs ${TVEX_CODE_PAGE_LOCALES})
  while(pairs)
    list(POP_FRONT pairs codePage locale)
    add_test(NAME ${test}_cp${codePage} COMMAND ${test} ${args})
    set_tests_properties(${test}_cp${codePage} PROPERTIES
                         ENVIRONMENT "LC_ALL=${locale};${R_ENVIRONMENT}")
    if(R_FIXTURE)
      set_tests_properties(${test}_cp${codePage} PROPERTIES FIXTURES_REQUIRED ${R_FIXTURE})
    endif()
  endwhile()
endfunction()
