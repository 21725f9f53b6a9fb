# Packages of what `cmake --install` puts in place, made by cpack in a build folder:
#   cpack --config build/default/CPackConfig.cmake -B build/default/package
# On Linux a Debian package; on Windows an NSIS or WiX installer (PackagingWindows.cmake).

set(CPACK_PACKAGE_NAME kaviraob)
set(CPACK_PACKAGE_VENDOR "Kavira")
set(CPACK_PACKAGE_CONTACT "KaviraOB developers <kaviraob@kavira.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://kavira.example/oxbrine")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and backup tool for the qz418 Kavira Oxbrine lighting controller")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
# Settings that only one generator needs, read when cpack runs it.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingGenerators.cmake)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the programs link come from dpkg-shlibdeps. Qt's Polish texts for its own dialogs
  # (file dialogs) are loaded when present.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The long description; cpack puts the summary above it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "KaviraOB is the PC program for the qz418 Kavira Oxbrine stage-lighting
controller. It reads the controller's memory over the serial line (scenes,
program settings, MIDI key assignments), edits it, keeps it in data files,
writes it back, verifies it, and installs firmware updates.

The package holds the window program kaviraob, with a Polish user
interface, and kaviraob-cli, the same engine on the command line for
scripts and backups. Both can serve a simulated controller for trying
them without the hardware.

To open a serial port the user must be in the group that owns the serial
ports: dialout on Debian (sudo usermod -aG dialout USER, then log in
again).")

  # The Debian change log of this release, dated in the form dpkg wants (RFC 5322).
  if(NOT KAVIRA_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "KAVIRA_RELEASE_DATE is not YYYY-MM-DD: ${KAVIRA_RELEASE_DATE}")
  endif()
  set(_day_text ${CMAKE_MATCH_3})
  math(EXPR _year "${CMAKE_MATCH_1}")
  math(EXPR _month "${CMAKE_MATCH_2} - 1")
  math(EXPR _day "${CMAKE_MATCH_3}")
  # Sakamoto's day of the week, 0 = Sunday.
  set(_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  list(GET _offsets ${_month} _offset)
  if(_month LESS 2)
    math(EXPR _year_of_march "${_year} - 1")
  else()
    set(_year_of_march ${_year})
  endif()
  math(EXPR _weekday "(${_year_of_march} + ${_year_of_march} / 4 - ${_year_of_march} / 100 + \
                       ${_year_of_march} / 400 + ${_offset} + ${_day}) % 7")
  set(_weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET _weekdays ${_weekday} _weekday_name)
  list(GET _months ${_month} _month_name)
  set(KAVIRA_DEB_CHANGELOG_DATE "${_weekday_name}, ${_day_text} ${_month_name} ${_year} 12:00:00 +0000")
  set(KAVIRA_DEB_VERSION "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/../data/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
  set(CPACK_KAVIRA_DEB_CHANGELOG ${CMAKE_BINARY_DIR}/debian/changelog)
  set(CPACK_KAVIRA_STRIP ${CMAKE_STRIP})
endif()
if(WIN32 OR KAVIRA_PACKAGING_CHECK STREQUAL "windows")
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
endif()

include(CPack)
