# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-x86-64-posix) and
# runs the resulting programs under wine64 (package wine64), so ctest works on Linux:
#   cmake --preset windows-core && cmake --build --preset windows-core && ctest --preset windows-core
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KAVIRA_MINGW_TRIPLET x86_64-w64-mingw32)
# The -posix compilers use the POSIX thread model: std::thread and std::mutex need it.
set(CMAKE_C_COMPILER ${KAVIRA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVIRA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVIRA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KAVIRA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests start the .exe files through wine, in a wine prefix of the build
# tree's own (created on first use, gone with the build tree).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine-prefix)
