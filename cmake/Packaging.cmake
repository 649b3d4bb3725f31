# Installed like a desktop program: the editor, its .desktop entry, icon, AppStream metadata
# and user guide under the usual prefix folders; and the Debian package built from the same
# rules (`cpack -G DEB`). Only what is installed here goes into the package: the tests, the
# replay driver, the benchmarks and the rooms' static libraries have no install rules.
include(GNUInstallDirs)

install(TARGETS quenbry RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The preview pane's web engine plugin, where the program looks for it: the same path from bin/
# as in the build tree (src/preview).
install(TARGETS quenbry-webview LIBRARY DESTINATION ${QUENBRY_PLUGIN_DIR})
install(FILES data/${QUENBRY_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${QUENBRY_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/${QUENBRY_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNG sizes rendered by the build (src/app).
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# Debian keeps each package's licence as usr/share/doc/PACKAGE/copyright.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
# The user guide, where Help looks for it beside bin/.
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/help/index.html)
  install(FILES docs/help/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/quenbry/help)
endif()

set(QUENBRY_PACKAGE_MAINTAINER "The Quenbry developers <quenbry@example.org>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenbry)
set(CPACK_PACKAGE_VENDOR "The Quenbry developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTML source editor with markup coloured as you type")
set(CPACK_PACKAGE_DESCRIPTION
  "A small desktop editor for the HTML source of web pages. It keeps one page open at a time
and colours its markup while you type; it inserts common tags from a menu, undoes and redoes
every change, writes a page skeleton from a title, a font and a size, and opens and saves
8-bit (Windows-1252) pages with their line ends kept exactly as they are.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUENBRY_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages as dpkg-shlibdeps finds them from the binary (Qt's among them).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
