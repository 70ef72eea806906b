# Installs the project into a scratch root, then checks what a host project sees there: pkg-config's
# flags, and examples/minimal-host built by both recipes of docs/host-guide.md (find_package, and
# pkg-config on the command line) and run through the attach flow against the installed simulator.
# MODE=install: cmake --install of the components. MODE=deb: the .deb files in DEB_DIR, unpacked as
# dpkg would, whose file list must equal EXPECTED_FILES (an entry ending in "/..." stands for every
# file below that folder that is not listed itself).
# Arguments: MODE BUILD_DIR WORK_DIR EXAMPLE_DIR GENERATOR CXX_COMPILER CXX_FLAGS LINKER_FLAGS
#            [DEB_DIR EXPECTED_FILES].
cmake_minimum_required(VERSION 3.25)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

set(root ${WORK_DIR}/root)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${root})
if(MODE STREQUAL "deb")
  file(GLOB debs ${DEB_DIR}/*.deb)
  file(STRINGS ${EXPECTED_FILES} expected REGEX "^[^#]")
  set(folders ${expected})
  list(FILTER folders INCLUDE REGEX "/\\.\\.\\.$")
  set(listed "")
  foreach(deb IN LISTS debs)
    run("unpacking ${deb}" dpkg-deb -x ${deb} ${root})
    run("listing ${deb}" dpkg-deb -c ${deb})
    get_filename_component(name ${deb} NAME)
    string(REGEX REPLACE "_.*" "" name "${name}")
    # "-rw-r--r-- root/root 1234 2026-12-06 12:00 ./usr/include/vesk/records.h": keep files and links.
    string(REPLACE "\n" ";" lines "${output}")
    foreach(line IN LISTS lines)
      if(line MATCHES "^[-l].* \\./([^ ]*)")
        set(entry "${name}: /${CMAKE_MATCH_1}")
        list(FIND expected "${entry}" named)
        foreach(folder IN LISTS folders)
          if(named GREATER_EQUAL 0)
            break()
          endif()
          string(REGEX REPLACE "\\.\\.\\.$" "" start "${folder}")
          string(FIND "${entry}" "${start}" at)
          if(at EQUAL 0)
            set(entry "${folder}")
          endif()
        endforeach()
        list(APPEND listed "${entry}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES listed)
  list(SORT listed)
  list(SORT expected)
  if(NOT listed STREQUAL expected)
    string(REPLACE ";" "\n" listed "${listed}")
    message(FATAL_ERROR "the packages' files differ from ${EXPECTED_FILES}:\n${listed}")
  endif()
  set(prefix ${root}/usr)
else()
  set(prefix ${root}/usr)
  foreach(component vesk_headers vesk_module vesk_simulator)
    run("installing ${component}" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component ${component})
  endforeach()
endif()

file(GLOB_RECURSE pc_files ${prefix}/*/pkgconfig/vesk-plugin.pc)
get_filename_component(pc_dir "${pc_files}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
run("pkg-config" pkg-config --cflags --libs vesk-plugin)
string(REGEX MATCH "^-I([^ ]+) -ldl" flags "${output}")
if(NOT flags OR NOT EXISTS "${CMAKE_MATCH_1}/vesk/host_interfaces.h")
  message(FATAL_ERROR "pkg-config --cflags --libs vesk-plugin gave: ${output}")
endif()

# Sanitizer flags are passed on so that the host shares the module's sanitizer runtime.
run("configuring the minimal host" ${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS} -Wall -Wextra -Wpedantic"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
run("building the minimal host" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run("running the minimal host" ${WORK_DIR}/build/minimal-host 1234)
if(NOT output MATCHES "ready to connect: Vesk Wireless")
  message(FATAL_ERROR "the minimal host did not reach the ready state:\n${output}")
endif()

# The pkg-config recipe, as the guide writes it for a shell.
set(recipe [[c++ -std=c++17 "$0" -o "$1" $(pkg-config --cflags --libs vesk-plugin) -pthread \
  -DVESK_MODULE="\"$(pkg-config --variable=module vesk-plugin)\""]])
set(ENV{CXX} ${CXX_COMPILER})
string(REPLACE "c++ " "\"$CXX\" ${CXX_FLAGS} ${LINKER_FLAGS} -Wall -Wextra -Wpedantic " recipe "${recipe}")
run("building the minimal host with pkg-config" sh -c "${recipe}" ${EXAMPLE_DIR}/main.cpp
    ${WORK_DIR}/minimal-host-pc)
run("running the minimal host built with pkg-config" ${WORK_DIR}/minimal-host-pc 1234)
if(NOT output MATCHES "ready to connect: Vesk Wireless")
  message(FATAL_ERROR "the minimal host built with pkg-config did not reach the ready state:\n${output}")
endif()
