# Installation and packaging: the two executables, the desktop entry, the icon
# and the MIME type of blog files; `cpack -G DEB` in the build folder turns the
# same layout into a Debian package (tessary_<version>_<arch>.deb).
#
# Installed, the executable's folder is not writable, so the desktop program
# uses the per-user data folder as its program folder (docs/desktop.md); the
# template packages are installed for the program to copy into that folder.
include(GNUInstallDirs)

# `cmake --install` and cpack install what is built and do not build the whole
# tree first (tests and benchmarks included): `make package` builds the two
# executables, then packages.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS tessary-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/tessary-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/tessary-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tessary-cli)
# The template packages shipped beside "@default.tem" (which the program writes
# from its built-in copy); the desktop program copies them into the per-user
# program folder when that has none of the name.
install(FILES ${TESSARY_EXTRA_TEMPLATE_PACKAGES} DESTINATION ${CMAKE_INSTALL_DATADIR}/tessary/templates)

set(TESSARY_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
if(TARGET tessary)
  install(TARGETS tessary RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TESSARY_DESKTOP_DIR}/tessary.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TESSARY_DESKTOP_DIR}/tessary.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 256)
    install(FILES ${TESSARY_DESKTOP_DIR}/tessary-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tessary.png)
  endforeach()
endif()
install(FILES ${TESSARY_DESKTOP_DIR}/tessary.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/docs/desktop.md ${PROJECT_SOURCE_DIR}/docs/file-format.md
              ${PROJECT_SOURCE_DIR}/docs/template-package.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessary)

# The installed layout, checked by a test: files in place, desktop entry and
# MIME type valid and agreeing with each other.
add_subdirectory(tests/packaging)

# --- Debian package --------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessary)
set(CPACK_PACKAGE_VENDOR "Tessary")
set(CPACK_PACKAGE_CONTACT "Tessary developers <developers@tessary.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tessary.example.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write a blog and publish it as static HTML")
# The long description, wrapped for dpkg: one line per string.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tessary is a desktop program with which one person writes a blog or a small"
  "web site. A blog lives in one blog file (.zdb); a template package gives the"
  "site its look; the generator writes the site as plain static HTML into a local"
  "folder, keeps a checksum of every page and publishes only what changed, by FTP"
  "or by copying into a folder."
  "."
  "The package holds the desktop program (tessary) and the command line"
  "(tessary-cli).")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executables link (Qt, SQLite, zlib, libgsf, libstdc++) come
# from dpkg-shlibdeps; what is loaded at run time without being linked is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET tessary)
  # qt6-qpa-plugins holds the xcb (X11) platform plugin, without which the desktop
  # program cannot open a window; a Wayland session runs it through XWayland unless
  # qt6-wayland brings the native plugin.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, shared-mime-info")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
  # desktop-file-utils and hicolor-icon-theme carry the dpkg triggers that refresh the
  # menu's MIME cache and the icon cache; shared-mime-info's trigger rebuilds the MIME
  # database. No maintainer scripts of our own are needed.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, hicolor-icon-theme")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "shared-mime-info")
endif()

include(CPack)
