# Release artefacts, made by CPack (`make dist`) from the trees that build them:
#   - the i686 tree: Sonorm-<version>-win32.zip, what Windows users download;
#   - the deb tree (SONORM_PACKAGE_DEB): the Debian package of sonorm-cli.
# Each comes from its own install component, so the ordinary install rules stay as they are.
# With testing on, a test packs the artefact into a scratch folder and checks what it holds.
option(SONORM_PACKAGE_DEB "Package sonorm-cli as a Debian package (and test the package)" OFF)

set(CPACK_PACKAGE_NAME ${SONORM_PRODUCT})
set(CPACK_PACKAGE_VENDOR ${SONORM_COMPANY})
set(CPACK_PACKAGE_VERSION ${SONORM_PRODUCTVERSION})
# Who answers for the packages: the Maintainer field, the changelog's sign-off, the copyright's
# contact.
set(SONORM_MAINTAINER "${SONORM_COMPANY} <packages@velquin.example>")
set(CPACK_PACKAGE_CONTACT ${SONORM_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "rewrite PCM WAV files in the canonical 44-byte-header layout")
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(sonorm_dist_tests ${CMAKE_SOURCE_DIR}/tests/dist)

if(WIN32 AND CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # The zip: both programs exactly as built and tested, the help text (code page 932, CR LF)
  # and a short read-me converted the same way.
  configure_file(${CMAKE_SOURCE_DIR}/app/ReadMe.txt ${CMAKE_BINARY_DIR}/dist/ReadMe.utf8.txt @ONLY)
  set(readme ${CMAKE_BINARY_DIR}/dist/ReadMe.txt)
  add_custom_command(OUTPUT ${readme}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/make-helptext ${CMAKE_BINARY_DIR}/dist/ReadMe.utf8.txt ${readme}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-helptext ${CMAKE_BINARY_DIR}/dist/ReadMe.utf8.txt
    COMMENT "Converting the read-me to code page 932"
    VERBATIM)
  add_custom_target(sonorm_readme ALL DEPENDS ${readme})

  install(TARGETS sonorm sonorm-cli RUNTIME DESTINATION . COMPONENT win32zip)
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Sonorm.txt ${readme}
          DESTINATION . COMPONENT win32zip)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL win32zip)
  set(zipname ${SONORM_PRODUCT}-${SONORM_PRODUCTVERSION}-win32)
  set(CPACK_PACKAGE_FILE_NAME ${zipname})
  set(CPACK_ARCHIVE_FILE_NAME ${zipname})
  include(CPack)

  if(BUILD_TESTING)
    add_test(NAME dist.zip
      COMMAND bash ${sonorm_dist_tests}/zip.sh ${CMAKE_BINARY_DIR} ${zipname}.zip)
    set_tests_properties(dist.zip PROPERTIES LABELS dist TIMEOUT 300)
  endif()
elseif(SONORM_PACKAGE_DEB)
  # The Debian package: the tool, its manual page and changelog (compressed, as Debian installs
  # them) and the copyright file; dpkg-shlibdeps works out the library dependencies.
  include(GNUInstallDirs)
  # The changelog's newest entry names the version being packed: a new version needs its entry.
  file(STRINGS ${CMAKE_SOURCE_DIR}/cli/changelog.in newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "^sonorm-cli \\(${SONORM_PRODUCTVERSION}\\) ")
    message(FATAL_ERROR "cli/changelog.in: the newest entry is not version ${SONORM_PRODUCTVERSION}")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/cli/changelog.in ${CMAKE_BINARY_DIR}/dist/changelog @ONLY)
  set(manpage ${CMAKE_BINARY_DIR}/dist/sonorm-cli.1.gz)
  set(changelog ${CMAKE_BINARY_DIR}/dist/changelog.gz)
  foreach(pair "${CMAKE_BINARY_DIR}/cli/sonorm-cli.1;${manpage}"
               "${CMAKE_BINARY_DIR}/dist/changelog;${changelog}")
    list(GET pair 0 plain)
    list(GET pair 1 packed)
    add_custom_command(OUTPUT ${packed}
      COMMAND sh -c "gzip -9 -n -c \"$0\" >\"$1\"" ${plain} ${packed}
      DEPENDS ${plain}
      COMMENT "Compressing ${packed}"
      VERBATIM)
  endforeach()
  add_custom_target(sonorm_debdocs ALL DEPENDS ${manpage} ${changelog})
  string(REGEX REPLACE "^Copyright \\(C\\) " "" holder "${SONORM_LEGAL}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/dist/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: sonorm-cli
Upstream-Contact: @SONORM_MAINTAINER@

Files: *
Copyright: @holder@
License: proprietary
 All rights reserved.
")

  install(TARGETS sonorm-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT deb)
  install(FILES ${manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT deb)
  install(FILES ${CMAKE_BINARY_DIR}/dist/copyright ${changelog}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/sonorm-cli COMPONENT deb)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL deb)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_NAME sonorm-cli)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${SONORM_PRODUCTVERSION})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The long description; CPack puts the summary line above it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Converts PCM WAV files to the canonical minimal RIFF/WAVE layout: a 44-byte
header followed by the samples byte for byte; every other chunk is dropped.
Single files, batches, folders, in-place rewriting and checks.")
  include(CPack)

  # Testing is off in the deb tree (it builds the tool only); the package test is its one test.
  # It unpacks the package into a scratch folder and leaves the host's package database alone.
  enable_testing()
  add_test(NAME dist.deb
    COMMAND bash ${sonorm_dist_tests}/deb.sh ${CMAKE_BINARY_DIR} ${CPACK_DEBIAN_PACKAGE_NAME}
            ${CPACK_DEBIAN_PACKAGE_VERSION})
  set_tests_properties(dist.deb PROPERTIES LABELS dist TIMEOUT 300)
endif()
