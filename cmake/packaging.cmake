# Installation of the documentation and the Debian package.
# Included from the top-level CMakeLists.txt after the brimvel target, whose
# own install() rule puts the program into bin/.

include(GNUInstallDirs)

set(BRIMVEL_MANPAGE ${PROJECT_SOURCE_DIR}/docs/brimvel.1)
set(BRIMVEL_EXAMPLE ${PROJECT_SOURCE_DIR}/examples/brimvel.cfg)

# Debian wants manual pages compressed, reproducibly (-n: no name, no time).
find_program(BRIMVEL_GZIP gzip)
if(BRIMVEL_GZIP AND NOT WIN32)
  set(BRIMVEL_MANPAGE_GZ ${PROJECT_BINARY_DIR}/brimvel.1.gz)
  add_custom_command(
    OUTPUT ${BRIMVEL_MANPAGE_GZ}
    COMMAND ${BRIMVEL_GZIP} -9 -n -c ${BRIMVEL_MANPAGE} > ${BRIMVEL_MANPAGE_GZ}
    DEPENDS ${BRIMVEL_MANPAGE}
    COMMENT "Compressing the manual page"
    VERBATIM)
  add_custom_target(brimvel_manpage ALL DEPENDS ${BRIMVEL_MANPAGE_GZ})
  install(FILES ${BRIMVEL_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${BRIMVEL_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(FILES ${BRIMVEL_EXAMPLE} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/contrib/brimvel.service
              ${PROJECT_SOURCE_DIR}/contrib/brimvel.timer
              ${PROJECT_SOURCE_DIR}/contrib/crontab.example
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/contrib)

set(CPACK_PACKAGE_NAME brimvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brimvel developers")
set(CPACK_PACKAGE_CONTACT "Brimvel developers <dev@brimvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "hand files over to the file areas of a distribution network, a few per run")
set(CPACK_PACKAGE_DESCRIPTION
    [[Brimvel is a batch program, started by a scheduler or by hand, that hands
files over to the file areas of a file distribution network. For every file
it picks it runs a configured post program and waits for it. One plain-text
configuration names the areas, their schedules, per-run limits and the
directories and files to hand over; every run rewrites it to remember where
it stopped. Includes a checker for the configuration (-CHECK) and a dry run
(-N).]])
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brimvel developers <dev@brimvel.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# brimvel_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
