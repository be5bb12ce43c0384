# cmake -DFOLDER=<area> -DALLOWED=<area|area> -DSTAMP=<file> -DSOURCES=<file|file> -P KvnCheckLayer.cmake
# Fails when a source of one area includes a header of an area it may not use, so that an arrow
# running back up the layers breaks the build instead of hiding in a large library.
cmake_minimum_required(VERSION 3.20)
string(REPLACE "|" ";" ALLOWED "${ALLOWED}")
string(REPLACE "|" ";" SOURCES "${SOURCES}")
foreach(src IN LISTS SOURCES)
  file(STRINGS "${src}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/.*$" "\\1" area "${line}")
    if(NOT area STREQUAL FOLDER AND NOT area IN_LIST ALLOWED)
      message(FATAL_ERROR "${src}: includes \"${area}/\", which the ${FOLDER} area may not use "
                          "(it may use: ${ALLOWED}). Move the code down a layer or pass what it needs in.")
    endif()
  endforeach()
endforeach()
file(WRITE "${STAMP}" "")
