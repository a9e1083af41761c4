# Checks every include of every source and header under a source tree against the layer table
# (LayerTable.cmake), and fails naming the file, the line and the include that break it.
#
#   cmake -DCORVANE_SOURCE_DIR=path/to/src -P cmake/CheckIncludes.cmake
#
# An include of a folder that has a row is checked whether it is quoted or not; a quoted include
# of a folder without a row fails, as does a file in a folder without one. Other includes in
# angle brackets are the system's and the libraries'.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/LayerTable.cmake)

if(NOT CORVANE_SOURCE_DIR OR NOT IS_DIRECTORY "${CORVANE_SOURCE_DIR}")
  message(FATAL_ERROR "give the source tree: -DCORVANE_SOURCE_DIR=path/to/src")
endif()
get_filename_component(root "${CORVANE_SOURCE_DIR}" ABSOLUTE)
get_filename_component(root_name "${root}" NAME)
corvane_read_layers()

# The exceptions for includes, as "file -> folder".
set(exceptions "")
foreach(exception IN LISTS CORVANE_LAYER_EXCEPTIONS)
  if(exception MATCHES "^([^ ]+/[^ ]+) -> ([^ ]+)$")
    list(APPEND exceptions "${CMAKE_MATCH_1} -> ${CMAKE_MATCH_2}")
  endif()
endforeach()
set(exceptions_used "")

set(problems "")
file(GLOB_RECURSE files RELATIVE "${root}" "${root}/*.cpp" "${root}/*.h")
list(SORT files)
foreach(file IN LISTS files)
  get_filename_component(dir "${file}" DIRECTORY)
  corvane_layer_of("${dir}" layer)
  if(NOT layer)
    string(APPEND problems
           "  ${root_name}/${file}: its folder has no row in cmake/LayerTable.cmake\n")
    continue()
  endif()
  file(STRINGS "${root}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "[\"<]([^\">]+)[\">]" ignored "${line}")
    set(included "${CMAKE_MATCH_1}")
    get_filename_component(included_dir "${included}" DIRECTORY)
    corvane_layer_of("${included_dir}" target)
    if(NOT target)
      # System and library headers; a quoted one of the project's own names its folder.
      if(line MATCHES "\"" AND NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+\"")
        set(target "(no row)")
      else()
        continue()
      endif()
    else()
      corvane_layer_may_use("${layer}" "${target}" allowed)
      if(allowed)
        continue()
      endif()
      if("${file} -> ${target}" IN_LIST exceptions)
        list(APPEND exceptions_used "${file} -> ${target}")
        continue()
      endif()
    endif()
    # The line number, for the message.
    file(READ "${root}/${file}" content)
    string(FIND "${content}" "${line}" at)
    string(SUBSTRING "${content}" 0 ${at} before)
    string(REGEX MATCHALL "\n" breaks "${before}")
    list(LENGTH breaks line_number)
    math(EXPR line_number "${line_number} + 1")
    set(uses "${CORVANE_LAYER_USES_${layer}}")
    if(NOT uses)
      set(uses "nothing")
    endif()
    string(REPLACE ";" " " uses "${uses}")
    set(where "${root_name}/${file}:${line_number}: includes \"${included}\"")
    if(target STREQUAL "(no row)")
      string(APPEND problems "  ${where}, whose folder has no row in cmake/LayerTable.cmake\n")
    else()
      string(APPEND problems "  ${where} of ${target}; ${layer} may use only: ${uses}\n")
    endif()
  endforeach()
endforeach()

foreach(exception IN LISTS exceptions)
  if(NOT exception IN_LIST exceptions_used)
    string(APPEND problems "  the known exception \"${exception}\" is no longer needed: "
                           "delete it from cmake/LayerTable.cmake\n")
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "includes that break the layers (cmake/LayerTable.cmake):\n${problems}")
endif()
list(LENGTH files file_count)
message(STATUS "${file_count} files include only what their layer may use")
