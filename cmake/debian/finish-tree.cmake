# CPack pre-build script for the .deb: in the staging tree, gzips the manual
# pages and adds the changelog, as Debian policy asks. Fails when the
# changelog has no entry for the version being packaged.
set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(readable OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# -n keeps the build's name and time out of the archive, so that the same
# sources give the same package.
file(GLOB pages ${root}/${CPACK_TABULON_MANDIR}/man*/*.[1-9])
foreach(page ${pages})
  execute_process(COMMAND gzip -9nf ${page} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${page} failed")
  endif()
endforeach()

file(STRINGS ${CPACK_TABULON_CHANGELOG} top LIMIT_COUNT 1)
if(NOT top MATCHES "^${CPACK_PACKAGE_NAME} \\(${CPACK_PACKAGE_VERSION}\\) ")
  message(FATAL_ERROR "${CPACK_TABULON_CHANGELOG} has no entry for ${CPACK_PACKAGE_VERSION} at the top: "
                      "\"${top}\"")
endif()
# A package whose version has no Debian revision is native: its changelog is
# changelog.gz, not changelog.Debian.gz.
set(changelog ${root}/${CPACK_TABULON_DOCDIR}/changelog.gz)
execute_process(COMMAND gzip -9nc ${CPACK_TABULON_CHANGELOG} OUTPUT_FILE ${changelog} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip ${CPACK_TABULON_CHANGELOG} failed")
endif()
file(CHMOD ${changelog} PERMISSIONS ${readable})
