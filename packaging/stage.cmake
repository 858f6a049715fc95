# Stages the release's files in a fresh folder, ready to be zipped:
#
#   cmake "-DBUILDS=x86=<tree>;x64=<tree>" -DSTAGE=<folder>
#         [-DSIGN=<command> -DSIGN_FOLDER=<folder>] -P stage.cmake
#
# Each build's folder (named as the build) gets what its Windows build tree
# installs (brantle.exe and brantle-rules.exe); with SIGN, each of those
# programs is replaced by what `<command> IN OUT`, run in SIGN_FOLDER, makes
# of it (the signed program). README.txt is written with CR LF line ends for
# Windows, and SHA256SUMS holds the SHA-256 of every other file, sorted by
# name, in the format `sha256sum -c` reads: the files as they are shipped,
# signed or not. The file names, one per line in the order
# the zip takes them, go to <folder>.list; the zip's name to <folder>.name.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/version.cmake)
string(REGEX MATCH "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" parts "${BRANTLE_VERSION}")
set(BRANTLE_VERSION_TEXT ${CMAKE_MATCH_1}.${CMAKE_MATCH_2})
set(BRANTLE_BUILD_NUMBER ${CMAKE_MATCH_3})

file(REMOVE_RECURSE "${STAGE}")
if(SIGN AND NOT SIGN_FOLDER)
  set(SIGN_FOLDER "${CMAKE_CURRENT_BINARY_DIR}")
endif()
if(NOT BUILDS)
  message(FATAL_ERROR "BUILDS names no build: give -DBUILDS=<name>=<tree>;...")
endif()
foreach(pair IN LISTS BUILDS)
  if(NOT pair MATCHES "^([A-Za-z0-9_-]+)=(.+)$")
    message(FATAL_ERROR "'${pair}' is not <build name>=<build tree>")
  endif()
  set(folder ${CMAKE_MATCH_1})
  set(tree ${CMAKE_MATCH_2})
  execute_process(COMMAND ${CMAKE_COMMAND} --install "${tree}" --prefix "${STAGE}/${folder}"
                  OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Installing the build tree '${tree}' failed")
  endif()
  if(SIGN)
    file(GLOB programs LIST_DIRECTORIES false "${STAGE}/${folder}/*.exe")
    list(SORT programs)
    foreach(program IN LISTS programs)
      execute_process(COMMAND ${SIGN} "${program}" "${program}.signed" WORKING_DIRECTORY "${SIGN_FOLDER}"
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "Signing '${program}' failed")
      endif()
      file(RENAME "${program}.signed" "${program}")
    endforeach()
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in "${STAGE}/README.txt" @ONLY NEWLINE_STYLE CRLF)

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT files)
set(sums "")
foreach(name IN LISTS files)
  file(SHA256 "${STAGE}/${name}" hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${STAGE}/SHA256SUMS" "${sums}")

list(APPEND files SHA256SUMS)
list(JOIN files "\n" list)
file(WRITE "${STAGE}.list" "${list}\n")
file(WRITE "${STAGE}.name" "Brantle-${BRANTLE_VERSION}-windows.zip\n")
