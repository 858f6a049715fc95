# Cross-compiling for Windows with Debian's MinGW-w64. Included by the
# per-architecture toolchain files, which set BRANTLE_MINGW_TRIPLE_ARCH
# (i686 or x86_64) and the compiler flags that only their architecture needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${BRANTLE_MINGW_TRIPLE_ARCH})

set(BRANTLE_MINGW_PREFIX ${BRANTLE_MINGW_TRIPLE_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${BRANTLE_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${BRANTLE_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${BRANTLE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRANTLE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No DLLs beside the executable: the runtime goes in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
