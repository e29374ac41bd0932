# cmake --install: both programs in bin/, the loader files and the help file
# in share/vx7318kit/ (both programs look there, relative to themselves), a
# menu entry with its icon and the tool's manual page. cpack -G DEB packages
# the same tree.
include(GNUInstallDirs)
set(VX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/vx7318kit)

install(TARGETS vx7318kit vx7318 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VX_LOADER_FILES} ${CMAKE_SOURCE_DIR}/app/HELPFILE.HTM DESTINATION ${VX_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/dist/vx7318kit.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/vx7318kit.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/dist/vx7318.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME vx7318kit)
set(CPACK_PACKAGE_VENDOR "VX7318 evaluation kit team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VX7318 evaluation kit: desktop program and command-line tool")
set(CPACK_PACKAGE_CONTACT "VX7318 evaluation kit team <vx7318kit@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries both programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's window-system plugins are only recommended by its libraries, yet the
# desktop program cannot open a window without them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
