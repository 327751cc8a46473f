# What a package holds besides the program and its manual page, and the CPack
# set-up that makes one: a .deb on Linux, a .zip from the Windows cross build.
#   cmake --build --preset default --target package   # build/default/packages/
#   cmake --build --preset mingw --target package     # build/mingw/packages/

set(CPACK_PACKAGE_NAME tabulon)
set(CPACK_PACKAGE_VENDOR "the Tabulon authors")
set(CPACK_PACKAGE_CONTACT "Tabulon authors <tabulon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "evaluate relational-algebra commands over relations in text files")
set(CPACK_PACKAGE_DESCRIPTION
    "Tabulon reads a text file whose first line is a relational-algebra command
(union, minus, product, project, rename, select) and whose other lines hold
relations, evaluates the command, and writes a copy of the file followed by
the result relation. It is meant for people learning and teaching relational
algebra, and for the scripts that grade their files.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_OUTPUT_FILE_PREFIX packages)
set(CPACK_STRIP_FILES ON)
# Packages are built from the build tree only; never sweep the sources in.
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git")

if(WIN32)
  # Texts go into the .zip with CR LF line ends, so that any Windows editor
  # shows them as lines; the examples stay byte for byte as they are, since
  # the program copies its input into the output.
  function(tabulon_windows_text from to)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${to}
                       COMMAND ${CMAKE_COMMAND} -DIN=${from} -DOUT=${PROJECT_BINARY_DIR}/${to}
                               -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
                       DEPENDS ${from} ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake VERBATIM)
    string(MAKE_C_IDENTIFIER "crlf_${to}" target)
    add_custom_target(${target} ALL DEPENDS ${PROJECT_BINARY_DIR}/${to})
    install(FILES ${PROJECT_BINARY_DIR}/${to} DESTINATION .)
  endfunction()
  tabulon_windows_text(${PROJECT_SOURCE_DIR}/README.md README.txt)
  tabulon_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
  # tabulon.exe carries the toolchain's runtime (winpthreads among it), whose
  # licences ask that their notices travel with it.
  set(TABULON_RUNTIME_NOTICES /usr/share/doc/mingw-w64-x86-64-dev/copyright
      CACHE FILEPATH "licence notices of the mingw-w64 runtime linked into tabulon.exe")
  if(EXISTS ${TABULON_RUNTIME_NOTICES})
    tabulon_windows_text(${TABULON_RUNTIME_NOTICES} LICENSE-mingw-w64-runtime.txt)
  else()
    message(WARNING "no ${TABULON_RUNTIME_NOTICES}: the .zip would lack the runtime's licence notices")
  endif()
  install(DIRECTORY examples/ DESTINATION examples FILES_MATCHING PATTERN "*.txt")

  set(CPACK_GENERATOR ZIP)
else()
  # Debian keeps the licence as the doc folder's copyright file; the MIT text
  # with its copyright line is a valid one as it stands.
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
  install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples FILES_MATCHING PATTERN "*.txt")

  # Full RELRO, as Debian's hardening checks expect of a packaged program.
  target_link_options(tabulon PRIVATE LINKER:-z,now)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Debian wants the manual page and a changelog gzipped in the package; a
  # plain cmake --install leaves the page as it is.
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian/finish-tree.cmake)
  set(CPACK_TABULON_CHANGELOG ${PROJECT_SOURCE_DIR}/cmake/debian/changelog)
  set(CPACK_TABULON_MANDIR ${CMAKE_INSTALL_MANDIR})
  set(CPACK_TABULON_DOCDIR ${CMAKE_INSTALL_DOCDIR})
endif()

# Packaged folders must not carry the builder's umask (group-writable).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
