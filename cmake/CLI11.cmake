# CLI11, kaviraob-cli's command line: header-only (Debian: libcli11-dev), as the target CLI11::CLI11.
# A native build takes CLI11's own CMake package. A cross build cannot: that package puts the
# folder of its headers, /usr/include, on the include path, and with it the build machine's C
# headers, which shadow the target's. There the headers are copied into the build tree instead.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(CLI11 2.1 REQUIRED)
  return()
endif()
find_path(KAVIRA_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include /usr/local/include
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT KAVIRA_CLI11_INCLUDE_DIR)
  message(FATAL_ERROR "CLI11's headers (CLI/CLI.hpp) not found: install libcli11-dev, or set "
                      "KAVIRA_CLI11_INCLUDE_DIR to the folder that holds CLI/")
endif()
file(COPY ${KAVIRA_CLI11_INCLUDE_DIR}/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/cli11
                                              INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/cli11)
