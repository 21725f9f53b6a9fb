# kavira_add_windows_resource(TARGET DESCRIPTION): gives a Windows program its icon and version
# resource (data/windows/version.rc.in). Nothing elsewhere.
function(kavira_add_windows_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(KAVIRA_PROGRAM ${target})
  set(KAVIRA_FILE_DESCRIPTION "${description}")
  set(KAVIRA_ICON ${PROJECT_SOURCE_DIR}/data/icons/kaviraob.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/data/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
