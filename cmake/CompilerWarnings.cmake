# Warnings for every target of the project. The core (no Qt) also warns on narrowing conversions,
# which is where a byte of a frame or a file silently loses its value.
function(kavira_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual -Wnull-dereference
                                           -Wformat=2 -Wimplicit-fallthrough -Wsuggest-override)
  if(KAVIRA_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

function(kavira_set_core_warnings target)
  kavira_set_warnings(${target})
  target_compile_options(${target} PRIVATE -Wconversion -Wsign-conversion)
endfunction()
