# Copies src/ to WORK_DIR, checks that the copy passes, then plants an include of the windows'
# layer in the operations layer and checks that the check fails naming file, line and include.
cmake_minimum_required(VERSION 3.25)
set(check ${CMAKE_CURRENT_LIST_DIR}/../../cmake/CheckIncludes.cmake)

function(run_check out_result out_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -DCORVANE_SOURCE_DIR=${WORK_DIR}/src -P ${check}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${CORVANE_SOURCE_DIR}/ DESTINATION ${WORK_DIR}/src)
run_check(result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the unchanged copy fails the check:\n${output}")
endif()

set(planted ${WORK_DIR}/src/operations/Progress.h)
file(READ ${planted} content)
string(REGEX MATCHALL "\n" breaks "${content}")
list(LENGTH breaks line_count)
math(EXPR planted_line "${line_count} + 1")
file(APPEND ${planted} "#include \"ui/Dialog.h\"\n")
run_check(result output)
set(expected "src/operations/Progress.h:${planted_line}: includes \"ui/Dialog.h\" of ui")
string(FIND "${output}" "${expected}" at)
if(result EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "the check did not fail naming '${expected}' (exit ${result}):\n${output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "the planted include failed the check: ${expected}")
