# 64-bit Windows: a test vehicle for machines whose kernel runs no 32-bit
# programs (and so no 32-bit Wine). Nothing built with it ships.
set(VORLANE_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
