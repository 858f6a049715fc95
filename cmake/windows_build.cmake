# What differs between the Windows builds comes from the one table that
# names them, WINDOWS_BUILD_TABLE in scripts/windows-builds.sh: the line
# whose MinGW-w64 target is this build's compiler gives
#   BRANTLE_WINDOWS_BUILD   the build's name (x86, x64), which also names its
#                           export file, app/brantle_<name>.def
#   BRANTLE_MANIFEST_ARCH   the processor architecture that the manifest names
#   BRANTLE_IMAGE_BASE      where brantle.exe lies when Windows does not place it
set(table_source ${PROJECT_SOURCE_DIR}/scripts/windows-builds.sh)
set(triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
file(STRINGS ${table_source} build_line REGEX "^[a-z0-9]+ +[0-9]+-bit +${triple} ")
list(LENGTH build_line found)
if(NOT found EQUAL 1)
  message(FATAL_ERROR "${table_source}: no one line of WINDOWS_BUILD_TABLE is for ${triple}")
endif()
string(REGEX REPLACE " +" ";" build_columns "${build_line}")
list(GET build_columns 0 BRANTLE_WINDOWS_BUILD)
list(GET build_columns 9 BRANTLE_MANIFEST_ARCH)
list(GET build_columns 11 BRANTLE_IMAGE_BASE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table_source})
