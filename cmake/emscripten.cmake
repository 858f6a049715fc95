# Settings of the web build (emcmake cmake -S . -B build/web), kept here so
# that no reader's shell needs them.
#
# Debian's Emscripten runs its JavaScript optimiser under the system's Node,
# which finds the parser it needs (acorn) only among Debian's own Node
# modules.
if(EXISTS /usr/share/nodejs/acorn)
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
  set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_CXX_LINKER_LAUNCHER})
endif()
