# The pkg-config file (relocatable: its prefix is found from its own folder) and the Debian packages.
file(RELATIVE_PATH VESK_PC_PREFIX_FROM_PCDIR "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" VESK_PC_PREFIX_FROM_PCDIR "${VESK_PC_PREFIX_FROM_PCDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vesk-plugin.pc.in ${PROJECT_BINARY_DIR}/vesk-plugin.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vesk-plugin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT vesk_headers)

# One .deb per component, named the Debian way: the module, its -dev part (headers, CMake and
# pkg-config files, the documentation and examples), the reference host and the simulated vendor
# library. Each description's first line is that package's synopsis. Binaries are stripped, with no
# debug symbols package.
set(VESK_DEB_MAINTAINER "Vesk plug-in team <vesk-plugin@example.org>")
set(VESK_DEB_VERSION "${PROJECT_VERSION}-1")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vesk-plugin)
set(CPACK_PACKAGE_VENDOR "Vesk plug-in team")
set(CPACK_PACKAGE_CONTACT "${VESK_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VESK_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE vesk-plugin)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_COMPONENTS_ALL vesk_module vesk_headers vesk_host vesk_simulator)

set(CPACK_DEBIAN_VESK_MODULE_PACKAGE_NAME vesk-plugin)
set(CPACK_DEBIAN_VESK_MODULE_PACKAGE_RECOMMENDS vesk-plugin-simulator)
# A library in the system's library folder: ldconfig runs once the package is unpacked.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/module.triggers ${PROJECT_BINARY_DIR}/debian/triggers COPYONLY)
set(CPACK_DEBIAN_VESK_MODULE_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_VESK_MODULE_DESCRIPTION "plug-in module for Vesk mobile-broadband modems
The module that a PC connection-manager host loads at run time to use Vesk
mobile-broadband modems of the 1000 and 2000 generations through the modem
vendor's library. It exports one function, ConstructSDK.")

set(CPACK_DEBIAN_VESK_HEADERS_PACKAGE_NAME vesk-plugin-dev)
set(CPACK_DEBIAN_VESK_HEADERS_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_VESK_HEADERS_PACKAGE_DEPENDS "vesk-plugin (>= ${VESK_DEB_VERSION})")
set(CPACK_DEBIAN_VESK_HEADERS_DESCRIPTION "development files for hosts of the Vesk plug-in module
The host contract headers, a CMake package (find_package(VeskPlugin)) and a
pkg-config file (vesk-plugin) for writing a connection-manager host of the
Vesk plug-in module, with the host developer's guide, the other documents
and the examples, among them a complete minimal host.")

set(CPACK_DEBIAN_VESK_HOST_PACKAGE_NAME vesk-host)
set(CPACK_DEBIAN_VESK_HOST_PACKAGE_DEPENDS "vesk-plugin (= ${VESK_DEB_VERSION})")
set(CPACK_DEBIAN_VESK_HOST_DESCRIPTION "reference host for the Vesk plug-in module
vesk-host loads the Vesk plug-in module, prints its notifications and trace
lines readably and runs commands (open, attach, connect, SMS, GPS, firmware
images) from a prompt or from a script, with JSON output for tools.")

set(CPACK_DEBIAN_VESK_SIMULATOR_PACKAGE_NAME vesk-plugin-simulator)
set(CPACK_DEBIAN_VESK_SIMULATOR_DESCRIPTION "Vesk modem simulator for the plug-in module
A scripted, scenario-driven modem that stands in for the modem vendor's
library of both generations, for trying and testing hosts of the Vesk
plug-in module without a modem. It is installed in the module's private
folder, which the module searches only after the system's library path, so
that a vendor library installed there is used instead. Its recorder/ folder
holds the recording vendor libraries, which record a session with a real
modem for the simulator to replay.")

# Each package's copyright file and Debian changelog.
if(UNIX)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
  find_program(VESK_GZIP gzip REQUIRED)
  execute_process(COMMAND ${VESK_GZIP} -9nc ${PROJECT_BINARY_DIR}/debian/changelog
                  OUTPUT_FILE ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
  foreach(component IN ITEMS vesk_module vesk_headers vesk_host vesk_simulator)
    string(TOUPPER ${component} upper)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
            COMPONENT ${component})
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vesk-plugin-dev
          COMPONENT vesk_headers)
  # The mutation run's journal is the source tree's record for scripts/mutate, not reading for users.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vesk-plugin-dev
          COMPONENT vesk_headers PATTERN mutation EXCLUDE)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vesk-plugin-dev/examples
          COMPONENT vesk_headers)
endif()
include(CPack)
