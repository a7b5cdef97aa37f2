# Tests are Windows programs: CTest starts each one under Wine through
# scripts/wine-run.sh, which run-tests.sh prepares (virtual display, prefix).
set(VORLANE_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VORLANE_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# vorlane_add_test(NAME SOURCES ... LIBS ... [SERVERS script.py ...] [TIMEOUT s])
# SERVERS are loopback servers (tests/servers/with_servers.py) that run for the
# test program's lifetime; their ports reach it as VORLANE_TEST_<NAME>_PORT.
function(vorlane_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;SERVERS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vorlane_test_support gtest gtest_main)
  target_compile_options(${name} PRIVATE ${VORLANE_WARNINGS})
  set(command ${VORLANE_WINE_RUN} $<TARGET_FILE:${name}> --gtest_color=no)
  if(T_SERVERS)
    list(TRANSFORM T_SERVERS PREPEND ${CMAKE_SOURCE_DIR}/)
    set(command python3 ${CMAKE_SOURCE_DIR}/tests/servers/with_servers.py ${T_SERVERS} -- ${command})
  endif()
  add_test(NAME ${name} COMMAND ${command})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

add_library(vorlane_test_support STATIC ${CMAKE_SOURCE_DIR}/tests/support/test_support.cpp)
target_link_libraries(vorlane_test_support PUBLIC shell32 user32)

# Source rules that no compiler enforces (runs on the build machine, not Wine).
add_test(NAME source_rules COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/check_sources.py ${CMAKE_SOURCE_DIR})

# What a loopback telemetry endpoint received, for tests that report.
add_library(vorlane_test_telemetry STATIC ${CMAKE_SOURCE_DIR}/tests/support/telemetry_endpoint.cpp)
target_link_libraries(vorlane_test_telemetry PUBLIC vorlane_net vorlane_test_support thirdparty_rapidjson gtest)
