# Install layout of a Linux desktop program, and the Debian package made from it (cpack -G DEB).
include(GNUInstallDirs)

set(KEYWARDEN_APP_ID de.tarvenic.Keywarden)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

if(TARGET keywarden)
  install(TARGETS keywarden RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET keywarden-cli)
  install(TARGETS keywarden-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${packaging}/${KEYWARDEN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${KEYWARDEN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${packaging}/icons/keywarden-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${KEYWARDEN_APP_ID}.png)
endforeach()
install(FILES ${packaging}/icons/keywarden.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${KEYWARDEN_APP_ID}.svg)

# Manual pages carry the project version; Debian wants them compressed.
find_program(GZIP_PROGRAM gzip)
foreach(page keywarden keywarden-cli)
  set(VERSION ${PROJECT_VERSION})
  configure_file(${packaging}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  if(GZIP_PROGRAM)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
      COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_BINARY_DIR}/man/${page}.1 > ${CMAKE_BINARY_DIR}/man/${page}.1.gz
      DEPENDS ${CMAKE_BINARY_DIR}/man/${page}.1 VERBATIM)
    list(APPEND KEYWARDEN_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  else()
    list(APPEND KEYWARDEN_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.1)
  endif()
endforeach()
add_custom_target(keywarden_man_pages ALL DEPENDS ${KEYWARDEN_MAN_PAGES})
install(FILES ${KEYWARDEN_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/keywarden)
# Debian looks for the licence under this name.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/keywarden RENAME copyright)

set(CPACK_PACKAGE_NAME keywarden)
set(CPACK_PACKAGE_VENDOR Tarvenic)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password manager with enciphered stores and a German user interface")
set(CPACK_PACKAGE_DESCRIPTION "Tarvenic Keywarden keeps each user's accounts in one enciphered file, opened with the user's master password. It copies user names and passwords to the clipboard for 20 seconds, keeps a backup when the master password changes, and comes with keywarden-cli, a command-line front end over the same stores.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tarvenic <keywarden@tarvenic.de>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.tarvenic.de/keywarden/)
# The libraries come from dpkg-shlibdeps; the platform plugin that draws the windows is loaded at
# run time, so no library names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
