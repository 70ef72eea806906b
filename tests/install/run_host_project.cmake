# Installs the headers and the module under a fresh prefix, then configures, builds and runs a tiny
# host project that sees nothing of this repository but that prefix.
# Arguments: BUILD_DIR WORK_DIR HOST_SOURCE_DIR GENERATOR CXX_COMPILER CXX_FLAGS LINKER_FLAGS, and for a
# cross build TOOLCHAIN_FILE and EMULATOR (the host is built with the same toolchain, run under Wine).
cmake_minimum_required(VERSION 3.25)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${output}")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
foreach(component vesk_headers vesk_module)
  run("installing ${component}" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component ${component})
endforeach()

set(toolchain_args "")
if(TOOLCHAIN_FILE)
  # A cross toolchain searches packages under its own sysroot only: name the package's folder.
  file(GLOB config_dir LIST_DIRECTORIES true ${prefix}/*/cmake/VeskPlugin)
  set(toolchain_args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE} -DVeskPlugin_DIR=${config_dir})
endif()
# Sanitizer flags are passed on so that the host shares the module's sanitizer runtime.
run("configuring the host project" ${CMAKE_COMMAND} -S ${HOST_SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
    ${toolchain_args})
run("building the host project" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run("running the host project" ${EMULATOR} ${WORK_DIR}/build/installed_host${EXECUTABLE_SUFFIX})
