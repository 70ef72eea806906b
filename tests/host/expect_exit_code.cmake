# Runs PROGRAM with ARGS (a ;-list) and fails unless it exits with EXPECTED and prints MESSAGE.
execute_process(COMMAND ${PROGRAM} ${ARGS} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result STREQUAL EXPECTED)
  message(FATAL_ERROR "exit code ${result}, expected ${EXPECTED}:\n${output}")
endif()
string(FIND "${output}" "${MESSAGE}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no '${MESSAGE}' in:\n${output}")
endif()
