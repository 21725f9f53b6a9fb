# The Windows installation and installer, read by Packaging.cmake when building for Windows (and by
# scripts/check-windows-packaging.sh on Linux, which sets KAVIRA_PACKAGING_CHECK to see the result).
#
# `cmake --install` puts the programs in bin/ and, through Qt's deployment script (windeployqt), the
# Qt DLLs, the platform and serial-port plugins and Qt's Polish translations next to them, so the
# folder runs on a machine without Qt. cpack then wraps that folder in an installer:
#   cpack -G NSIS   (NSIS 3, makensis on PATH)  -> kaviraob-1.0.0-win64.exe
#   cpack -G WIX    (WiX Toolset 3, candle/light on PATH) -> kaviraob-1.0.0-win64.msi

set(CPACK_GENERATOR NSIS WIX)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "KaviraOB")
set(CPACK_PACKAGE_FILE_NAME "kaviraob-${PROJECT_VERSION}-win64")
# The installers show the licence; both want a .txt name.
configure_file(${CMAKE_CURRENT_LIST_DIR}/../data/copyright ${CMAKE_BINARY_DIR}/copyright.txt COPYONLY)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/copyright.txt)
# Start menu entries: the window program only; kaviraob-cli runs from a console.
set(CPACK_PACKAGE_EXECUTABLES kaviraob "KaviraOB")

# NSIS: per machine, with an uninstaller, and kaviraob-cli on PATH on request.
set(CPACK_NSIS_DISPLAY_NAME "KaviraOB ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "KaviraOB")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\kaviraob.exe")
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/../data/icons/kaviraob.ico)
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_NSIS_CONTACT "${CPACK_PACKAGE_CONTACT}")

# WiX: a fixed upgrade code, so that a newer .msi replaces an installed older one.
set(CPACK_WIX_UPGRADE_GUID "7C0E8A52-3F4B-4D0B-9B6E-4A1F2C8D5E31")
set(CPACK_WIX_PRODUCT_ICON ${CMAKE_CURRENT_LIST_DIR}/../data/icons/kaviraob.ico)
set(CPACK_WIX_PROGRAM_MENU_FOLDER "KaviraOB")
set(CPACK_WIX_CULTURES "pl-PL")
set(CPACK_WIX_ARCHITECTURE x64)

# Qt's DLLs and plugins next to the programs, at install time.
if(WIN32 AND NOT KAVIRA_CORE_ONLY AND COMMAND qt_generate_deploy_app_script)
  foreach(program IN ITEMS kaviraob kaviraob-cli)
    if(TARGET ${program})
      qt_generate_deploy_app_script(TARGET ${program} OUTPUT_SCRIPT deploy_script NO_UNSUPPORTED_PLATFORM_ERROR)
      install(SCRIPT ${deploy_script})
    endif()
  endforeach()
endif()
