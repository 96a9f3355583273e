# Installation and the Debian package (cpack -G DEB in the build folder, or tools/dev.sh package):
# both programs in the path, the tables, templates, forms and guide under share/olvar (where the
# program looks beside an installed binary), a desktop entry with its icon, the MIME type of .as
# survey files and the man page of olvar-cli made from its --help. Debian's triggers of
# shared-mime-info and desktop-file-utils register the type and the entry when the package is
# installed or removed.
include(GNUInstallDirs)

install(TARGETS olvar-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
if(TARGET olvar)
  install(TARGETS olvar RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()
install(FILES "${PROJECT_SOURCE_DIR}/packaging/olvar.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/olvar.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/olvar-survey.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages")

set(man_page "${CMAKE_BINARY_DIR}/man/olvar-cli.1")
add_custom_command(OUTPUT "${man_page}"
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:olvar-cli> -DVERSION=${PROJECT_VERSION}
          -DOUTPUT=${man_page} -P "${PROJECT_SOURCE_DIR}/tools/make_man_page.cmake"
  DEPENDS olvar-cli "${PROJECT_SOURCE_DIR}/tools/make_man_page.cmake"
  COMMENT "Writing the man page of olvar-cli from its --help"
  VERBATIM)
add_custom_target(olvar_man_page ALL DEPENDS "${man_page}")
install(FILES "${man_page}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "olvar")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Olvar")
set(CPACK_PACKAGE_CONTACT "Olvar maintainers <olvar@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "nutrition and mortality surveys in emergencies")
set(CPACK_PACKAGE_DESCRIPTION
    "Olvar helps survey managers plan a nutrition and mortality survey, check the training of
the measuring teams, enter children's measurements with WHO 2006 z-scores, judge the
quality of the data and publish prevalences of malnutrition and death rates with 95%
confidence intervals. The package holds the desktop program olvar and the command-line
tool olvar-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer | libreoffice-writer-nogui, libreoffice-calc | libreoffice-calc-nogui, unzip, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/olvar")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
include(CPack)
