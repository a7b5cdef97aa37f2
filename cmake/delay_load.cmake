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
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${delay_script})

foreach(name ${VORLANE_DELAYED_DLLS})
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${name}.a
                  OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(delayed_lib ${CMAKE_BINARY_DIR}/delayed/lib${name}_delayed.a)
  if(NOT EXISTS ${delayed_lib} OR ${import_lib} IS_NEWER_THAN ${delayed_lib}
     OR ${delay_script} IS_NEWER_THAN ${delayed_lib})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayed)
    execute_process(COMMAND python3 ${delay_script} ${CMAKE_NM} ${CMAKE_DLLTOOL} ${CMAKE_AR}
                            ${delay_machine}
                            ${import_lib} ${delayed_lib}
                    RESULT_VARIABLE made)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "Could not make the delay-loading import library of ${name}")
    endif()
  endif()
  add_library(delayed_${name} STATIC IMPORTED GLOBAL)
  set_target_properties(delayed_${name} PROPERTIES IMPORTED_LOCATION ${delayed_lib})
endforeach()
