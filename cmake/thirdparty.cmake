# Third-party code comes from the cache that scripts/setup.sh fills; nothing
# third-party lives in this tree.
set(VORLANE_CACHE "$ENV{VORLANE_CACHE}")
if(NOT VORLANE_CACHE)
  set(VORLANE_CACHE /var/cache/vorlane)
endif()
if(NOT EXISTS ${VORLANE_CACHE}/thirdparty.cmake)
  message(FATAL_ERROR "Third-party cache missing: run scripts/setup.sh (as root) first")
endif()
include(${VORLANE_CACHE}/thirdparty.cmake)

# libcurl: static, Schannel and SSPI, HTTP only, built once per architecture
# and set of options: the cache keeps it under the digest of curl_options.txt,
# as scripts/setup.sh builds it.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/curl_options.txt)
file(MD5 ${CMAKE_CURRENT_LIST_DIR}/curl_options.txt curl_digest)
string(SUBSTRING ${curl_digest} 0 8 curl_key)
file(GLOB curl_built LIST_DIRECTORIES false
     ${VORLANE_CACHE}/curl-*-${CMAKE_SYSTEM_PROCESSOR}-${curl_key}/.done)
list(SORT curl_built)
list(POP_BACK curl_built curl_done)
if(NOT curl_done)
  message(FATAL_ERROR "No libcurl for ${CMAKE_SYSTEM_PROCESSOR} with these options in the cache: run scripts/setup.sh (as root)")
endif()
get_filename_component(VORLANE_CURL_DIR ${curl_done} DIRECTORY)
# An imported library, so that the linker meets the system libraries it needs
# after it (the delay-loaded ones among them are targets of their own).
add_library(thirdparty_curl STATIC IMPORTED GLOBAL)
set_target_properties(thirdparty_curl PROPERTIES IMPORTED_LOCATION ${VORLANE_CURL_DIR}/lib/libcurl.a)
target_include_directories(thirdparty_curl SYSTEM INTERFACE ${VORLANE_CURL_DIR}/include)
target_compile_definitions(thirdparty_curl INTERFACE CURL_STATICLIB)
# Its few Winsock functions that Windows XP lacks are bound late
# (cmake/delay_load.cmake): their library comes first.
target_link_libraries(thirdparty_curl INTERFACE
  late_bound_ws2_32 ws2_32 delayed_crypt32 delayed_secur32 delayed_bcrypt wldap32 normaliz advapi32)

# The LZMA SDK's 7z decoder (C files of the 7-Zip source).
include(${CMAKE_CURRENT_LIST_DIR}/lzma_files.cmake)
add_library(thirdparty_lzma STATIC ${VORLANE_LZMA_FILES})
target_include_directories(thirdparty_lzma SYSTEM PUBLIC ${VORLANE_LZMA_SRC})
target_compile_definitions(thirdparty_lzma PRIVATE Z7_PPMD_SUPPORT_DISABLED)
# No exception passes through these C frames, so they need no unwind tables.
set(VORLANE_NO_UNWIND_TABLES -fno-asynchronous-unwind-tables -fno-unwind-tables)
target_compile_options(thirdparty_lzma PRIVATE -O2 -w ${VORLANE_NO_UNWIND_TABLES})

# pugixml for the skin layouts: wide texts; no XPath, streams or exceptions
# (so no unwind tables either), which the layouts never need (the streams alone bring in the C++ locale code).
add_library(thirdparty_pugixml STATIC ${VORLANE_PUGIXML_SRC}/pugixml.cpp)
target_include_directories(thirdparty_pugixml SYSTEM PUBLIC ${VORLANE_PUGIXML_SRC})
target_compile_definitions(thirdparty_pugixml PUBLIC PUGIXML_WCHAR_MODE PUGIXML_NO_XPATH
                           PUGIXML_NO_STL PUGIXML_NO_EXCEPTIONS)
target_compile_options(thirdparty_pugixml PRIVATE -w -fno-exceptions ${VORLANE_NO_UNWIND_TABLES})

# RapidJSON: headers only, from a folder that holds nothing but them.
add_library(thirdparty_rapidjson INTERFACE)
target_include_directories(thirdparty_rapidjson SYSTEM INTERFACE ${VORLANE_RAPIDJSON_INCLUDE})

# libspng decodes the skin's PNG images over zlib's inflate, so the first
# window needs neither GDI+ nor the system's imaging codecs. Built for size
# (-O2 would cost the installer 10 KB for a few milliseconds); without jump
# tables, whose shared tables would keep the unused encoder (and zlib's
# deflate) in the program; without SIMD, which a 32-bit build may not assume.
# The encoder's references to deflate are why zlib's deflate files are here:
# the linker drops them.
# A set-up run from an older checkout may have rewritten the cache's list
# without them: the newest version unpacked in the cache then serves.
foreach(source SPNG:libspng-*/spng ZLIB:zlib-*)
  string(REPLACE ":" ";" source ${source})
  list(GET source 0 name)
  list(GET source 1 pattern)
  if(NOT VORLANE_${name}_SRC)
    file(GLOB unpacked LIST_DIRECTORIES true ${VORLANE_CACHE}/${pattern})
    list(SORT unpacked COMPARE NATURAL)
    list(POP_BACK unpacked VORLANE_${name}_SRC)
  endif()
  if(NOT VORLANE_${name}_SRC)
    message(FATAL_ERROR "No ${name} source in the cache: run scripts/setup.sh (as root)")
  endif()
endforeach()
set(VORLANE_ZLIB_FILES adler32 compress crc32 deflate inffast inflate inftrees trees zutil)
list(TRANSFORM VORLANE_ZLIB_FILES PREPEND ${VORLANE_ZLIB_SRC}/)
list(TRANSFORM VORLANE_ZLIB_FILES APPEND .c)
add_library(thirdparty_zlib STATIC ${VORLANE_ZLIB_FILES})
target_include_directories(thirdparty_zlib SYSTEM PUBLIC ${VORLANE_ZLIB_SRC})
target_compile_options(thirdparty_zlib PRIVATE -Os -w -fno-jump-tables ${VORLANE_NO_UNWIND_TABLES})
add_library(thirdparty_spng STATIC ${VORLANE_SPNG_SRC}/spng.c)
target_include_directories(thirdparty_spng SYSTEM PUBLIC ${VORLANE_SPNG_SRC})
target_compile_definitions(thirdparty_spng PUBLIC SPNG_STATIC PRIVATE SPNG_DISABLE_OPT)
target_compile_options(thirdparty_spng PRIVATE -Os -w -fno-jump-tables ${VORLANE_NO_UNWIND_TABLES})
target_link_libraries(thirdparty_spng PUBLIC thirdparty_zlib)
