# Installation and the Debian package.
# Included from the top-level CMakeLists.txt after the brimvel target, whose
# own install() rule puts the program into bin/.
#
# `cmake --install` and the package install the same files: configure with
# -DCMAKE_INSTALL_PREFIX=/usr for a system installation (scripts/package
# does), since the units and the cron example name the program by the
# installed path worked out here, at configure time.

include(GNUInstallDirs)

set(BRIMVEL_SYSTEMD_UNITDIR lib/systemd/system CACHE STRING
    "Where the systemd units go, below the prefix (systemd reads /usr/lib/systemd/system and /usr/local/lib/systemd/system)")

set(BRIMVEL_MANPAGE ${PROJECT_SOURCE_DIR}/docs/brimvel.1)
set(BRIMVEL_EXAMPLE ${PROJECT_SOURCE_DIR}/examples/brimvel.cfg)
set(BRIMVEL_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/brimvel)

# The files in contrib/ are ready to use for a program in /usr/bin; they are
# the templates for the installed copies, which name the program where this
# build installs it.
function(brimvel_configure_contrib name out)
  set(source ${PROJECT_SOURCE_DIR}/contrib/${name})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(FIND "${text}" "/usr/bin/brimvel" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "contrib/${name} no longer names /usr/bin/brimvel; "
                        "cmake/packaging.cmake cannot put in the installed path")
  endif()
  string(REPLACE "/usr/bin/brimvel" "${BRIMVEL_PROGRAM}" text "${text}")
  file(CONFIGURE OUTPUT ${out} CONTENT "${text}")
endfunction()

set(BRIMVEL_CONFIGURED ${PROJECT_BINARY_DIR}/contrib)
brimvel_configure_contrib(brimvel.service ${BRIMVEL_CONFIGURED}/brimvel.service)
brimvel_configure_contrib(brimvel@.service ${BRIMVEL_CONFIGURED}/brimvel@.service)
brimvel_configure_contrib(crontab.example ${BRIMVEL_CONFIGURED}/crontab.example)

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

  # A Debian package carries a changelog in Debian's format. Its date honours
  # SOURCE_DATE_EPOCH (scripts/package sets it from the last commit), so the
  # same sources give the same package.
  string(TIMESTAMP BRIMVEL_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in
                 ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
  set(BRIMVEL_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/debian/changelog.gz)
  add_custom_command(
    OUTPUT ${BRIMVEL_CHANGELOG_GZ}
    COMMAND ${BRIMVEL_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/debian/changelog > ${BRIMVEL_CHANGELOG_GZ}
    DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
    VERBATIM)
  add_custom_target(brimvel_changelog ALL DEPENDS ${BRIMVEL_CHANGELOG_GZ})
  install(FILES ${BRIMVEL_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DOCDIR})
else()
  install(FILES ${BRIMVEL_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(FILES ${BRIMVEL_EXAMPLE} ${BRIMVEL_CONFIGURED}/crontab.example
              ${PROJECT_SOURCE_DIR}/contrib/on-failure.conf
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(NOT WIN32)
  # One service and timer, their templates for several nodes (instance =
  # working directory below /var/lib/brimvel), and the unit OnFailure=
  # starts to mail a failed run's lines.
  install(FILES ${BRIMVEL_CONFIGURED}/brimvel.service
                ${PROJECT_SOURCE_DIR}/contrib/brimvel.timer
                ${BRIMVEL_CONFIGURED}/brimvel@.service
                ${PROJECT_SOURCE_DIR}/contrib/brimvel@.timer
                ${PROJECT_SOURCE_DIR}/contrib/brimvel-failure-mail@.service
          DESTINATION ${BRIMVEL_SYSTEMD_UNITDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/contrib/brimvel.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME brimvel)
  # The log grows by a line for every file looked at, in every run.
  install(FILES ${PROJECT_SOURCE_DIR}/contrib/brimvel.logrotate
          DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/logrotate.d
          RENAME brimvel)
endif()

set(CPACK_PACKAGE_NAME brimvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Brimvel authors")
set(CPACK_PACKAGE_CONTACT "Brimvel developers <dev@brimvel.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "hand files over to the file areas of a distribution network, a few per run")
set(CPACK_PACKAGE_DESCRIPTION
    [[Brimvel is a batch program, started by a scheduler or by hand, that hands
files over to the file areas of a file distribution network. For every file
it picks it runs a configured post program and waits for it. One plain-text
configuration names the areas, their schedules, per-run limits and the
directories and files to hand over; every run rewrites it to remember where
it stopped. Includes a checker for the configuration (-CHECK) and a dry run
(-N), a systemd service and timer that run it daily as its own user, and a
logrotate configuration for its log.]])
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
# The package installs what `cmake --install` installs, below the same prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brimvel developers <dev@brimvel.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# postinst makes the service's user with adduser.
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
# Without it the log is never shortened.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS logrotate)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/conffiles.in
               ${PROJECT_BINARY_DIR}/debian/conffiles @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/cmake/debian/postinst
    ${PROJECT_SOURCE_DIR}/cmake/debian/prerm
    ${PROJECT_SOURCE_DIR}/cmake/debian/postrm
    ${PROJECT_BINARY_DIR}/debian/conffiles)
# Maintainer scripts 0755, the other control files 0644, whatever the checkout.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# brimvel_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
