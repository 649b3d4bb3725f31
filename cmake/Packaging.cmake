# Installed like a desktop program: the editor, its .desktop entry, icon, AppStream metadata,
# manual page and user guide under the usual prefix folders; and the Debian packages built
# from the same rules (`cpack -G DEB`). Only what is installed here goes into the packages: the
# tests, the replay driver, the benchmarks and the rooms' static libraries have no install
# rules.
#
# Two packages, one per install component: `quenbry`, the editor, which needs Qt's base
# libraries alone, and `quenbry-preview`, the preview pane's web engine plugin, which brings
# in Qt WebEngine (a few hundred megabytes) for those who want the pane.
include(GNUInstallDirs)
# Whatever the installing user's umask, the folders are those of a system package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The releases live in the AppStream metadata, newest first; the changelog and the manual
# page's date are made from them, and the newest one must be the version being built.
set(metainfo ${PROJECT_SOURCE_DIR}/data/${QUENBRY_APP_ID}.metainfo.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${metainfo})
file(READ ${metainfo} metainfo_text)
if(NOT metainfo_text MATCHES "<release version=\"([^\"]+)\" date=\"([0-9-]+)\"")
  message(FATAL_ERROR "${metainfo} lists no release with a version and a date")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The newest release in ${metainfo} is ${CMAKE_MATCH_1}, "
    "not ${PROJECT_VERSION}: add the release there first")
endif()
set(QUENBRY_RELEASE_DATE ${CMAKE_MATCH_2})

set(QUENBRY_PACKAGE_MAINTAINER "The Quenbry developers <quenbry@example.org>"
  CACHE STRING "The Maintainer field of the Debian packages")

# The manual page and the changelog, built into share/ as they are installed, compressed as
# Debian wants them (gzip -9, no name or time in the header).
set(man_page ${CMAKE_BINARY_DIR}/share/man/man1/quenbry.1)
configure_file(data/quenbry.1.in ${CMAKE_BINARY_DIR}/quenbry.1 @ONLY)
add_custom_command(OUTPUT ${man_page}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/quenbry.1 ${man_page}
  COMMAND gzip -9nf ${man_page}
  DEPENDS ${CMAKE_BINARY_DIR}/quenbry.1 VERBATIM)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(changelog ${CMAKE_BINARY_DIR}/share/doc/quenbry/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/doc/quenbry
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/debian-changelog.py ${metainfo}
    quenbry ${QUENBRY_PACKAGE_MAINTAINER} ${changelog}
  DEPENDS ${metainfo} ${PROJECT_SOURCE_DIR}/cmake/debian-changelog.py VERBATIM)
add_custom_target(package-docs ALL DEPENDS ${man_page}.gz ${changelog})

install(TARGETS quenbry RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT quenbry)
install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT quenbry)
install(FILES data/${QUENBRY_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  COMPONENT quenbry)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT quenbry)
install(FILES data/icons/${QUENBRY_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT quenbry)
# The PNG sizes rendered by the build (src/app).
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
  COMPONENT quenbry)
# The user guide, where Help looks for it beside bin/.
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/help/index.html)
  install(FILES docs/help/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/quenbry/help
    COMPONENT quenbry)
endif()

# The preview pane's web engine plugin, where the program looks for it: the same path from bin/
# as in the build tree (src/preview).
install(TARGETS quenbry-webview LIBRARY DESTINATION ${QUENBRY_PLUGIN_DIR} COMPONENT preview)

# Debian keeps each package's licence and changelog in usr/share/doc/PACKAGE.
foreach(component quenbry preview)
  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quenbry)
  if(NOT component STREQUAL "quenbry")
    string(APPEND doc_dir -${component})
  endif()
  install(FILES LICENSE DESTINATION ${doc_dir} RENAME copyright COMPONENT ${component})
  install(FILES ${changelog} DESTINATION ${doc_dir} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenbry)
set(CPACK_PACKAGE_VENDOR "The Quenbry developers")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL quenbry preview)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUENBRY_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages as dpkg-shlibdeps finds them from each package's binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Each description's first line is its synopsis; lines stay inside 80 columns.
set(CPACK_DEBIAN_QUENBRY_PACKAGE_NAME quenbry)
set(CPACK_DEBIAN_QUENBRY_DESCRIPTION "HTML source editor with markup coloured as you type
A small desktop editor for the HTML source of web pages. It keeps one page
open at a time and colours its markup while you type; it inserts common tags
from a menu, undoes and redoes every change, writes a page skeleton from a
title, a font and a size, and opens and saves 8-bit (Windows-1252) pages with
their line ends kept exactly as they are.

The live preview pane beside the text comes with the package quenbry-preview;
previewing a page in the web browser needs nothing more.")
# The German catalogue is built into the program; Qt's own, for the file and print dialogs and
# the message boxes' buttons, comes with the distribution's Qt translations.
set(CPACK_DEBIAN_QUENBRY_PACKAGE_RECOMMENDS "quenbry-preview, qt6-translations-l10n")

set(CPACK_DEBIAN_PREVIEW_PACKAGE_NAME quenbry-preview)
set(CPACK_DEBIAN_PREVIEW_DESCRIPTION "live preview pane for the Quenbry HTML editor
The preview pane of the Quenbry HTML editor (Ctrl+Q) shows the page being
edited as a web browser renders it, with its style sheets, pictures and
scripts, and follows the typing. It is built on Qt WebEngine, which this
package brings in; the editor starts, edits, saves and prints without it.")
# The plugin is built for this very program, and the program looks for it in its own version.
set(CPACK_DEBIAN_PREVIEW_PACKAGE_DEPENDS "quenbry (= ${PROJECT_VERSION})")
include(CPack)
