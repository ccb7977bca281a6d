# Installs NEVA Setup like any desktop program and packs it as a Debian package:
#
#   bin/                       neva-setup, neva-cli, neva-relay-sim, neva-modem-sim
#   share/neva-setup/          Default.NEVA2 and the user guide (guide/), read-only
#   share/applications/        the menu entry          <app id>.desktop
#   share/metainfo/            the AppStream component  <app id>.metainfo.xml
#   share/icons/hicolor/       the icon, SVG and PNG sizes
#   share/man/man1/            a manual page for each program, from its --help
#   share/doc/neva-setup/      copyright and changelog
#
# The programs find the data folder relative to their own (see ProgramFolders).

set(NEVA_MAINTAINER "NEVA Setup maintainers <maintainers@nevasetup.org>"
    CACHE STRING "Maintainer of the package (name <address>)")
string(TIMESTAMP NEVA_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP NEVA_RELEASE_DATE_RFC "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(NEVA_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package-data)
set(NEVA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/neva-setup)

# The programs and their manual pages. A manual page is help2man's reading of the
# program's --help and --version, so the page never disagrees with the program.
find_program(NEVA_HELP2MAN help2man)
set(neva_man_pages)
set(neva_programs
  "neva-setup|configure and watch a NEVA200 feeder protection relay"
  "neva-cli|NEVA200 relay setpoints, events and currents from scripts"
  "neva-relay-sim|a simulated NEVA200 relay on a pseudo-terminal"
  "neva-modem-sim|a simulated Hayes-compatible modem on a pseudo-terminal")
foreach(entry IN LISTS neva_programs)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 program)
  list(GET parts 1 summary)
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NEVA_HELP2MAN AND NOT CMAKE_CROSSCOMPILING)
    set(page ${NEVA_PACKAGE_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${NEVA_PACKAGE_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${NEVA_HELP2MAN} --no-info --section=1 --name=${summary} --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program}
      COMMENT "Writing the manual page of ${program}"
      VERBATIM)
    list(APPEND neva_man_pages ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(neva_man_pages)
  add_custom_target(neva_man_pages ALL DEPENDS ${neva_man_pages})
elseif(TARGET neva-setup AND UNIX AND NOT CMAKE_CROSSCOMPILING)
  message(WARNING "help2man was not found: no manual pages (scripts/install-deps.sh installs it)")
endif()

if(TARGET neva-setup)
  # Read-only data. The guide folder is installed once it exists.
  install(FILES ${CMAKE_BINARY_DIR}/bin/Default.NEVA2 DESTINATION ${NEVA_DATA_DIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/guide/ DESTINATION ${NEVA_DATA_DIR}/guide OPTIONAL)

  # Menu entry, AppStream component, icon.
  configure_file(${PROJECT_SOURCE_DIR}/data/neva-setup.desktop.in ${NEVA_PACKAGE_DIR}/${NEVA_APP_ID}.desktop @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/data/neva-setup.metainfo.xml.in
                 ${NEVA_PACKAGE_DIR}/${NEVA_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${NEVA_PACKAGE_DIR}/${NEVA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${NEVA_PACKAGE_DIR}/${NEVA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/neva-setup.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${NEVA_APP_ID}.svg)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${size}x${size}/neva-setup.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${NEVA_APP_ID}.png)
  endforeach()

  # Debian's documentation files: copyright and the compressed changelog.
  configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${NEVA_PACKAGE_DIR}/changelog @ONLY)
  add_custom_command(
    OUTPUT ${NEVA_PACKAGE_DIR}/changelog.gz
    COMMAND gzip -9nkf ${NEVA_PACKAGE_DIR}/changelog
    DEPENDS ${NEVA_PACKAGE_DIR}/changelog
    VERBATIM)
  add_custom_target(neva_changelog ALL DEPENDS ${NEVA_PACKAGE_DIR}/changelog.gz)
  install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${NEVA_PACKAGE_DIR}/changelog.gz
          DESTINATION ${NEVA_DOC_DIR})
endif()

# The Debian package: build/neva-setup_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME neva-setup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "NEVA Setup developers")
set(CPACK_PACKAGE_CONTACT "${NEVA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and watch a NEVA200 feeder protection relay")
set(CPACK_PACKAGE_DESCRIPTION
"NEVA Setup talks to one NEVA200 feeder protection relay over a serial line
(RS-485/422) or a modem: it reads the relay's setpoints, edits them on five
setpoint pages and sends them back, keeps them offline in setpoint files, and
shows the breaker and protection status, the currents, the maintenance data,
the last trip and the event record.

The package also holds neva-cli, the same work from scripts, and two
simulators for training and trials without the hardware: neva-relay-sim, a
relay, and neva-modem-sim, a Hayes-compatible modem.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NEVA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its platform plugins and its SQL drivers at run time; no library
# dependency names them. The settings history needs the SQLite driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
