# GoogleTest built from its sources with the project's own compiler, for cross builds: the system's
# libgtest is built for the build machine, not for the target. Debian's googletest package installs
# the sources in /usr/src/googletest. Provides GTest::gtest and GTest::gtest_main like find_package.
set(KAVIRA_GTEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest's sources, built with the cross compiler")
if(NOT EXISTS ${KAVIRA_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${KAVIRA_GTEST_SOURCE_DIR} (install the googletest package, "
                      "or set KAVIRA_GTEST_SOURCE_DIR)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${KAVIRA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
