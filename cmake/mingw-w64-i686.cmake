# 32-bit Windows (i686): the program for 32-bit callers and every Windows.
set(BRANTLE_MINGW_TRIPLE_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
