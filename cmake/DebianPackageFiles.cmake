# Run by cpack on the staged Debian package just before it packs it, to finish what Debian's build helpers
# would: the change log goes into the documentation folder, compressed without a time stamp, and the
# stripped programs lose the .comment and .note sections that strip without options leaves in them.
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")
execute_process(COMMAND gzip -9n -c "${CPACK_KAVIRA_DEB_CHANGELOG}" OUTPUT_FILE "${doc}/changelog.Debian.gz"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot compress ${CPACK_KAVIRA_DEB_CHANGELOG}: ${result}")
endif()

file(GLOB programs "${root}/bin/*")
foreach(program ${programs})
  execute_process(COMMAND "${CPACK_KAVIRA_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot strip ${program}: ${result}")
  endif()
endforeach()
