# 32-bit Windows (i686): the program for 32-bit callers and every Windows.
set(BRANTLE_MINGW_TRIPLE_ARCH i686)
# Floating-point arithmetic in SSE2 registers, rounded to double at every
# step as in the 64-bit and the native builds, rather than in x87 registers
# that keep 64 bits of precision between steps: a number read from text then
# comes out the same in every build. Every Windows that the program supports
# requires SSE2. (GCC realigns the stack for SSE where Windows calls in.)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
