# Windows DLLs that are not on the KnownDLLs list of every Windows the program
# supports are never imported the ordinary way: the loader would look for them
# beside the program first, in the folder it was downloaded to. Each one gets
# a delay-loading import library, made here from the toolchain's own, and an
# interface target `delayed_<name>` that programs link instead of `<name>`:
# the DLL is then loaded on the first call of one of its functions, from the
# system folder only (utility/system_library.cpp). The installer's imports
# check (tests/app/check_installer_imports.py) refuses any other DLL in the
# import table.
set(VORLANE_DELAYED_DLLS bcrypt comctl32 crypt32 gdiplus iphlpapi oleacc secur32 usp10 version
    winhttp wininet wintrust)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(delay_machine i386:x86-64)
else()
  set(delay_machine i386)
endif()
set(delay_script ${CMAKE_SOURCE_DIR}/scripts/make_delayed_import_lib.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${delay_script}
             ${CMAKE_CURRENT_LIST_FILE})

# vorlane_delayed_import_lib(TARGET DLL OUTPUT [FUNCTIONS...]): the imported
# library TARGET, delay-loading DLL's functions (only FUNCTIONS when given).
function(vorlane_delayed_import_lib target dll output)
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${dll}.a
                  OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(delayed_lib ${CMAKE_BINARY_DIR}/delayed/${output})
  set(made_from ${delayed_lib}.functions)
  set(functions "${ARGN}")
  if(EXISTS ${made_from})
    file(READ ${made_from} made_functions)
  endif()
  if(NOT EXISTS ${delayed_lib} OR ${import_lib} IS_NEWER_THAN ${delayed_lib}
     OR ${delay_script} IS_NEWER_THAN ${delayed_lib} OR NOT "${made_functions}" STREQUAL "${functions}")
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayed)
    execute_process(COMMAND python3 ${delay_script} ${CMAKE_NM} ${CMAKE_DLLTOOL} ${CMAKE_AR}
                            ${delay_machine} ${import_lib} ${delayed_lib} ${ARGN}
                    RESULT_VARIABLE made)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "Could not make the delay-loading import library ${output}")
    endif()
    file(WRITE ${made_from} "${functions}")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${delayed_lib})
endfunction()

foreach(name ${VORLANE_DELAYED_DLLS})
  vorlane_delayed_import_lib(delayed_${name} ${name} lib${name}_delayed.a)
endforeach()

# The functions of kernel32 and ws2_32 (both imported the ordinary way) that
# Windows XP lacks and libcurl or the threads runtime import. Bound at their
# first call instead, the program loads on XP and shows its refusal there;
# where a function is missing, utility/late_imports.h gives a stand-in. They,
# not the system's import libraries, must resolve those names: every program
# takes the kernel32 ones whole (utility/CMakeLists.txt; the threads runtime
# comes last on the link line), and libcurl's Winsock ones come right after
# it (cmake/thirdparty.cmake).
vorlane_delayed_import_lib(late_bound_kernel32 kernel32 libkernel32_late.a
  AcquireSRWLockExclusive ReleaseSRWLockExclusive InitializeCriticalSectionEx GetTickCount64)
vorlane_delayed_import_lib(late_bound_ws2_32 ws2_32 libws2_32_late.a inet_ntop inet_pton)
