# Cross-builds both programs and their tests for 64-bit Windows on Linux: Debian's mingw-w64 compilers
# (cmake/mingw-w64-x86_64.cmake) with Qt 6 built for them. Qt for Windows is looked for in
# $KAVIRA_WINDOWS_QT, else in /opt/qt6-mingw-6.4.2 (scripts/deps.sh --windows-qt ARCHIVE unpacks it
# there; docs/building-on-windows.md says how to build it). The host's Qt tools (moc, rcc, uic,
# lrelease) do the host's part of the build.
if(NOT "$ENV{KAVIRA_WINDOWS_QT}" STREQUAL "")
  set(KAVIRA_WINDOWS_QT "$ENV{KAVIRA_WINDOWS_QT}")
elseif(NOT KAVIRA_WINDOWS_QT)
  set(KAVIRA_WINDOWS_QT /opt/qt6-mingw-6.4.2)
endif()
if(NOT EXISTS "${KAVIRA_WINDOWS_QT}/lib/cmake/Qt6/qt.toolchain.cmake")
  message(FATAL_ERROR "No Qt for Windows in ${KAVIRA_WINDOWS_QT}: unpack it with "
                      "'scripts/deps.sh --windows-qt ARCHIVE', or set KAVIRA_WINDOWS_QT "
                      "(docs/building-on-windows.md says how to build it)")
endif()
# try_compile() runs this file again in a project of its own: hand it the same Qt.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KAVIRA_WINDOWS_QT)
set(QT_CHAINLOAD_TOOLCHAIN_FILE ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
include("${KAVIRA_WINDOWS_QT}/lib/cmake/Qt6/qt.toolchain.cmake")
