# Makes the Debian packages of a build afresh in DEB_DIR. Arguments: BUILD_DIR DEB_DIR.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${DEB_DIR})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${DEB_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed (${result}):\n${output}")
endif()
