# Tests are Windows programs: CTest starts each one under Wine through
# scripts/wine-run.sh, which run-tests.sh prepares (virtual display, prefix).
set(VORLANE_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VORLANE_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# vorlane_add_test(NAME SOURCES... LIBS ... [TIMEOUT s])
function(vorlane_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vorlane_test_support gtest gtest_main)
  target_compile_options(${name} PRIVATE ${VORLANE_WARNINGS})
  add_test(NAME ${name}
           COMMAND ${VORLANE_WINE_RUN} $<TARGET_FILE:${name}> --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

add_library(vorlane_test_support STATIC ${CMAKE_SOURCE_DIR}/tests/support/test_support.cpp)
target_link_libraries(vorlane_test_support PUBLIC shell32 user32)
