# 64-bit Windows (x86_64): the same program for 64-bit callers.
set(BRANTLE_MINGW_TRIPLE_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
