# 32-bit Windows: the shipped installer.
set(VORLANE_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
