# Where the DLLs of a Windows build come from: Qt's bin folder, and the compiler's run-time
# (libstdc++, libgcc, winpthread) from its library folders. The installation takes them from there
# (PackagingWindows.cmake); on a Linux machine the tests run under wine with those folders on wine's
# DLL path (cmake/wine-run.sh --dlls).
get_target_property(kavira_qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT kavira_qt_core_dll)
  get_target_property(kavira_qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(kavira_qt_bin_dir "${kavira_qt_core_dll}" DIRECTORY)
get_filename_component(kavira_qt_plugin_dir "${kavira_qt_bin_dir}/../plugins" ABSOLUTE)
set(KAVIRA_WINDOWS_DLL_DIRS ${kavira_qt_bin_dir})
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
    get_filename_component(dir "${path}" DIRECTORY)
    file(REAL_PATH "${dir}" dir)
    list(APPEND KAVIRA_WINDOWS_DLL_DIRS ${dir})
  endif()
endforeach()
list(REMOVE_DUPLICATES KAVIRA_WINDOWS_DLL_DIRS)

if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(dll_options)
  foreach(dir IN LISTS KAVIRA_WINDOWS_DLL_DIRS)
    list(APPEND dll_options --dlls ${dir})
  endforeach()
  list(GET CMAKE_CROSSCOMPILING_EMULATOR 0 kavira_wine_run)
  list(GET CMAKE_CROSSCOMPILING_EMULATOR 1 kavira_wine_prefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${kavira_wine_run} ${kavira_wine_prefix} ${dll_options}
                                    --plugins ${kavira_qt_plugin_dir})
endif()
