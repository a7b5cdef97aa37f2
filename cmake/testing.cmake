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
target_link_libraries(vorlane_test_support PUBLIC vorlane_utility shell32 user32)
# A folder that leads somewhere else: "link" is a symbolic link to "target",
# which Windows programs under Wine see as an ordinary folder whose final path
# lies elsewhere, as behind a junction (Wine makes no junctions of its own).
# Likewise "linked_file" leads to "files/victim".
set(VORLANE_JUNCTION ${CMAKE_BINARY_DIR}/tests/support/junction)
file(MAKE_DIRECTORY ${VORLANE_JUNCTION}/target ${VORLANE_JUNCTION}/files)
file(CREATE_LINK target ${VORLANE_JUNCTION}/link SYMBOLIC)
file(CREATE_LINK files/victim ${VORLANE_JUNCTION}/linked_file SYMBOLIC)
# "leftovers" holds links named like one of the program's private folders and
# like its kept download's folder, leading to "leftover_target" and the file
# there that must stay.
file(MAKE_DIRECTORY ${VORLANE_JUNCTION}/leftovers ${VORLANE_JUNCTION}/leftover_target)
file(WRITE ${VORLANE_JUNCTION}/leftover_target/keep.txt "not a leftover")
file(CREATE_LINK ../leftover_target
     ${VORLANE_JUNCTION}/leftovers/Setup_0A1B2C3D_0000_1111_2222_333344445555 SYMBOLIC)
file(CREATE_LINK ../leftover_target ${VORLANE_JUNCTION}/leftovers/PackageDownload SYMBOLIC)
# "leftover_links" holds two folders named like the program's private folders,
# each with links to what lies in "leftover_outside": a folder (as a junction
# would) and a file (as a symbolic link would). "Setup_..._1111" has the
# private folders' own permissions; anyone may change "Setup_..._7777", which
# Wine shows as an ACL that lets Everyone write.
set(links ${VORLANE_JUNCTION}/leftover_links)
file(MAKE_DIRECTORY ${VORLANE_JUNCTION}/leftover_outside/folder)
file(WRITE ${VORLANE_JUNCTION}/leftover_outside/folder/inside.txt "outside")
file(WRITE ${VORLANE_JUNCTION}/leftover_outside/file.txt "outside")
file(WRITE ${VORLANE_JUNCTION}/leftover_outside/hard_target.txt "outside")
foreach(leftover Setup_0A1B2C3D_1111_2222_3333_444455556666 Setup_0A1B2C3D_7777_8888_9999_AAAABBBBCCCC)
  file(MAKE_DIRECTORY ${links}/${leftover})
  file(CREATE_LINK ../../leftover_outside/folder ${links}/${leftover}/junction SYMBOLIC)
  file(CREATE_LINK ../../leftover_outside/file.txt ${links}/${leftover}/symlink.dll SYMBOLIC)
endforeach()
file(CHMOD ${links}/Setup_0A1B2C3D_1111_2222_3333_444455556666 DIRECTORY_PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(CHMOD ${links}/Setup_0A1B2C3D_7777_8888_9999_AAAABBBBCCCC DIRECTORY_PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE GROUP_EXECUTE
     WORLD_READ WORLD_WRITE WORLD_EXECUTE)
target_compile_definitions(vorlane_test_support PRIVATE "VORLANE_JUNCTION=\"Z:${VORLANE_JUNCTION}\"")

# Source rules that no compiler enforces (runs on the build machine, not Wine).
add_test(NAME source_rules COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/check_sources.py ${CMAKE_SOURCE_DIR})

# The offer library stand-in's record and answers (tests/support/offer_standin.h).
add_library(vorlane_test_offer STATIC ${CMAKE_SOURCE_DIR}/tests/support/offer_standin.cpp)
target_link_libraries(vorlane_test_offer PUBLIC vorlane_test_support)
add_dependencies(vorlane_test_offer vorlane_standin_offer_library)

# What a loopback telemetry endpoint received, for tests that report.
add_library(vorlane_test_telemetry STATIC ${CMAKE_SOURCE_DIR}/tests/support/telemetry_endpoint.cpp)
target_link_libraries(vorlane_test_telemetry PUBLIC vorlane_net vorlane_test_support thirdparty_rapidjson gtest)

# Helpers for tests that drive real toolkit windows (tests/support/ui_testing.h).
add_library(vorlane_test_ui STATIC ${CMAKE_SOURCE_DIR}/tests/support/ui_testing.cpp
            ${CMAKE_SOURCE_DIR}/tests/support/gallery.cpp)
target_link_libraries(vorlane_test_ui PUBLIC vorlane_toolkit vorlane_skin vorlane_test_support)

# A client of the toolkit's accessible objects in a process of its own, as a
# screen reader is, and the tests' side of it (tests/support/accessible_reader.h).
add_executable(accessible_client ${CMAKE_SOURCE_DIR}/tests/support/accessible_client.cpp)
target_link_libraries(accessible_client PRIVATE oleacc oleaut32 ole32)
target_compile_options(accessible_client PRIVATE ${VORLANE_WARNINGS})
target_link_options(accessible_client PRIVATE -municode -mwindows)
add_library(vorlane_test_accessible STATIC ${CMAKE_SOURCE_DIR}/tests/support/accessible_reader.cpp)
target_link_libraries(vorlane_test_accessible PUBLIC vorlane_test_support vorlane_utility oleacc)
target_compile_definitions(vorlane_test_accessible PRIVATE
  "VORLANE_ACCESSIBLE_CLIENT=L\"Z:$<TARGET_FILE:accessible_client>\"")
add_dependencies(vorlane_test_accessible accessible_client)

# vorlane_test_skin(NAME): a target NAME that stages the skin, the layouts of
# skin/files and the drawn images, in a "skin" folder of the current build
# folder, where the test programs beside it find it.
function(vorlane_test_skin name)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/skin)
  add_custom_target(${name}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skin/files ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${VORLANE_SKIN_ART_DIR} ${dir})
  add_dependencies(${name} vorlane_skin_art)
endfunction()

# The web pages a test's program opens (tests/support/opened_urls.h): a
# recording "browser" for Wine's winebrowser, and the file it writes.
set(VORLANE_OPENED_URLS ${CMAKE_BINARY_DIR}/tests/support/opened_urls.txt)
configure_file(${CMAKE_SOURCE_DIR}/tests/support/record_url.sh.in ${CMAKE_BINARY_DIR}/tests/support/record_url.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                WORLD_EXECUTE
               @ONLY)
add_library(vorlane_test_opened_urls STATIC ${CMAKE_SOURCE_DIR}/tests/support/opened_urls.cpp)
target_link_libraries(vorlane_test_opened_urls PUBLIC vorlane_test_support advapi32)
target_compile_definitions(vorlane_test_opened_urls PRIVATE
  "VORLANE_URL_RECORDER=\"${CMAKE_BINARY_DIR}/tests/support/record_url.sh\""
  "VORLANE_OPENED_URLS_FILE=\"Z:${VORLANE_OPENED_URLS}\"")

# The real servers (tests/servers/real_servers.py) as tests see them, and the
# system proxy settings of the Wine prefix (tests/support/real_servers.h).
add_library(vorlane_test_real_servers STATIC ${CMAKE_SOURCE_DIR}/tests/support/real_servers.cpp)
target_link_libraries(vorlane_test_real_servers PUBLIC vorlane_test_support vorlane_net advapi32 wininet)
