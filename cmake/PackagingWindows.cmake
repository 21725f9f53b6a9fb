# The Windows installation and its installer, read by Packaging.cmake when building for Windows.
#
# `cmake --install` puts into the installation folder (Program Files\KaviraOB):
#   bin\kaviraob.exe, bin\kaviraob-cli.exe        the two programs
#   bin\*.dll                                     every DLL they and the plugins import (Qt, the
#                                                 compiler's run-time), found from their imports
#   bin\platforms\qwindows.dll,                   Qt's Windows platform and style plugins
#   bin\styles\qwindowsvistastyle.dll
#   translations\qtbase_pl.qm                     Qt's own texts in Polish, when the build machine has them
#   share\doc\kaviraob\manual\pl.md, en.md        the manual (the program carries it too)
# The English texts of the program are built into it. cpack then wraps the folder in an installer:
#   cpack --config build/windows/CPackConfig.cmake -G NSIS   (makensis)  -> KaviraOB-1.0.0-win64.exe
# It adds a Start-menu entry, an entry in Windows' list of installed programs with its uninstaller,
# and, when the user agrees (the default of a silent install), opens .K3s files with KaviraOB.

if(CMAKE_HOST_WIN32)
  set(CPACK_GENERATOR NSIS WIX)
else()
  set(CPACK_GENERATOR NSIS)  # makensis runs on Linux too; WiX does not
endif()
set(CPACK_PACKAGE_INSTALL_DIRECTORY "KaviraOB")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KaviraOB")
set(CPACK_PACKAGE_FILE_NAME "KaviraOB-${PROJECT_VERSION}-win64")
# The installers show the licence; both want a .txt name.
configure_file(${CMAKE_CURRENT_LIST_DIR}/../data/copyright ${CMAKE_BINARY_DIR}/copyright.txt COPYONLY)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/copyright.txt)
install(FILES ${CMAKE_BINARY_DIR}/copyright.txt DESTINATION .)
# Start menu entries: the window program only; kaviraob-cli runs from a console.
set(CPACK_PACKAGE_EXECUTABLES kaviraob "KaviraOB")

# NSIS: per machine, 64-bit Program Files, with an uninstaller, and kaviraob-cli on PATH on request.
set(CPACK_NSIS_DISPLAY_NAME "KaviraOB ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "KaviraOB")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer for 64-bit programs: it writes the 64-bit registry, and runs where only 64-bit
# programs run (wine64 without its 32-bit half).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\kaviraob.exe")
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/../data/icons/kaviraob.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_LIST_DIR}/../data/icons/kaviraob.ico)
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_NSIS_CONTACT "${CPACK_PACKAGE_CONTACT}")
# Opening .K3s files (the scenes of a set; the program loads the .K3p and .K3m of the same name with
# them) with KaviraOB, when the user agrees; the uninstaller removes the association again, but only
# where it is still ours.
set(kavira_install_commands [=[
  MessageBox MB_YESNO|MB_ICONQUESTION "Otwierać pliki scen (.K3s) programem KaviraOB?" /SD IDYES IDNO kavira_no_association
    WriteRegStr SHCTX "Software\Classes\.K3s" "" "KaviraOB.Scenes"
    WriteRegStr SHCTX "Software\Classes\KaviraOB.Scenes" "" "Sceny KaviraOB"
    WriteRegStr SHCTX "Software\Classes\KaviraOB.Scenes\DefaultIcon" "" "$INSTDIR\bin\kaviraob.exe,0"
    WriteRegStr SHCTX "Software\Classes\KaviraOB.Scenes\shell\open\command" "" '"$INSTDIR\bin\kaviraob.exe" "%1"'
  kavira_no_association:
]=])
set(kavira_uninstall_commands [=[
  ReadRegStr $0 SHCTX "Software\Classes\.K3s" ""
  StrCmp $0 "KaviraOB.Scenes" 0 +2
    DeleteRegKey SHCTX "Software\Classes\.K3s"
  DeleteRegKey SHCTX "Software\Classes\KaviraOB.Scenes"
]=])
# cpack reads these back as quoted CMake strings: their backslashes and quotes must survive that.
foreach(which IN ITEMS install uninstall)
  string(REPLACE "\\" "\\\\" commands "${kavira_${which}_commands}")
  string(REPLACE "\"" "\\\"" commands "${commands}")
  string(TOUPPER ${which} upper)
  set(CPACK_NSIS_EXTRA_${upper}_COMMANDS "${commands}")
endforeach()

# WiX (on a Windows machine): a fixed upgrade code, so that a newer .msi replaces an installed older one.
set(CPACK_WIX_UPGRADE_GUID "7C0E8A52-3F4B-4D0B-9B6E-4A1F2C8D5E31")
set(CPACK_WIX_PRODUCT_ICON ${CMAKE_CURRENT_LIST_DIR}/../data/icons/kaviraob.ico)
set(CPACK_WIX_PROGRAM_MENU_FOLDER "KaviraOB")
set(CPACK_WIX_CULTURES "pl-PL")
set(CPACK_WIX_ARCHITECTURE x64)

if(NOT WIN32 OR KAVIRA_CORE_ONLY OR NOT TARGET kaviraob-cli)
  return()
endif()

# What the programs need beside them, found at install time from their own imports (and from the
# plugins' imports) in the folders of cmake/WindowsRuntime.cmake. Whatever import no folder has must
# be a DLL of Windows itself; anything else ends the install with its name.
set(kavira_plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll)
foreach(plugin IN LISTS kavira_plugins)
  if(NOT EXISTS ${kavira_qt_plugin_dir}/${plugin})
    message(FATAL_ERROR "Qt for Windows lacks the plugin ${plugin} (looked in ${kavira_qt_plugin_dir})")
  endif()
endforeach()
find_file(KAVIRA_QT_POLISH_QM qtbase_pl.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(KAVIRA_QT_POLISH_QM)
  install(FILES ${KAVIRA_QT_POLISH_QM} DESTINATION translations)
endif()

find_program(KAVIRA_WINDOWS_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump objdump)
find_program(KAVIRA_WINDOWS_STRIP NAMES ${CMAKE_STRIP} x86_64-w64-mingw32-strip strip)
set(kavira_deploy_in ${CMAKE_BINARY_DIR}/windows-deploy.cmake.in)
configure_file(${CMAKE_CURRENT_LIST_DIR}/WindowsDeploy.cmake.in ${kavira_deploy_in} @ONLY)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/windows-deploy.cmake INPUT ${kavira_deploy_in})
install(SCRIPT ${CMAKE_BINARY_DIR}/windows-deploy.cmake)
