# Writes the page's service worker from its template: FILES becomes each
# file's name with its SHA-256, and the cache's version the SHA-256 of that
# list, so that a change to any file is a new worker.
#
#   cmake -DTEMPLATE=<template> -DOUTPUT=<worker> -DDIR=<page folder>
#         -DFILES=<name,name,...> -P service_worker.cmake
string(REPLACE "," ";" names "${FILES}")
set(entries)
foreach(name IN LISTS names)
  if(NOT EXISTS "${DIR}/${name}")
    message(FATAL_ERROR "service worker: ${DIR}/${name} is missing")
  endif()
  file(SHA256 "${DIR}/${name}" hash)
  list(APPEND entries "\"${name}\": \"${hash}\"")
endforeach()
list(JOIN entries ", " PAGE_FILES)
set(PAGE_FILES "{${PAGE_FILES}}")
string(SHA256 PAGE_VERSION "${PAGE_FILES}")
string(SUBSTRING "${PAGE_VERSION}" 0 16 PAGE_VERSION)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
