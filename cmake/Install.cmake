# What `cmake --install` puts on the system, and the Debian package.
#
# Only the two programs are installed; the tests, benchmarks, screenshot tool
# and fuzzers stay in the build tree. Beside them go the desktop entry, the
# MIME type of the documents, the icons and the manual pages.
#
# No rule runs update-mime-database, update-desktop-database or
# gtk-update-icon-cache: into a staging tree (cpack, DESTDIR) that would only
# ship stale caches. On Debian the Debian package needs no maintainer scripts
# for them either: shared-mime-info, desktop-file-utils, hicolor-icon-theme and
# man-db hold dpkg file triggers ("interest-noawait") on /usr/share/mime/packages,
# /usr/share/applications, /usr/share/icons/hicolor and /usr/share/man, so
# installing or removing the plain files refreshes every cache. After an
# install by hand into another prefix, run
#   update-mime-database PREFIX/share/mime
#   update-desktop-database PREFIX/share/applications
# (and gtk-update-icon-cache on PREFIX/share/icons/hicolor if that has a cache).
include(GNUInstallDirs)

set(VIRLO_MIME_TYPE "application/x-virlo-document")
string(REPLACE "/" "-" virlo_mime_icon "${VIRLO_MIME_TYPE}")

install(TARGETS virlo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The licence, where Debian keeps a package's copyright.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/virlo)

# Manual pages, compressed as Debian wants them; -n keeps the bytes
# independent of the build time.
find_program(VIRLO_GZIP gzip REQUIRED)
set(virlo_man_pages)
set(virlo_pages virlo-cli.1)
if(VIRLO_BUILD_DESKTOP)
  list(APPEND virlo_pages virlo.1)
endif()
foreach(page IN LISTS virlo_pages)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page}
    COMMAND ${VIRLO_GZIP} -9 -n -f ${CMAKE_BINARY_DIR}/man/${page}
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}
    COMMENT "Compressing ${page}"
    VERBATIM)
  list(APPEND virlo_man_pages ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The desktop side: the editor, its desktop entry, the MIME type of the
# documents and the icons.
if(VIRLO_BUILD_DESKTOP)
  install(TARGETS virlo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  install(FILES ${PROJECT_SOURCE_DIR}/data/virlo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/virlo-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

  # Icons: the SVGs as drawn, and PNGs rendered from them for desktops that
  # want fixed sizes.
  set(virlo_icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/virlo.svg DESTINATION ${virlo_icon_dir}/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${virlo_mime_icon}.svg DESTINATION ${virlo_icon_dir}/scalable/mimetypes)

  # virlo-render-icon (devtools/) renders them.
  set(virlo_rendered_icons)
  foreach(size 48 256)
    foreach(pair "apps;virlo" "mimetypes;${virlo_mime_icon}")
      list(GET pair 0 context)
      list(GET pair 1 name)
      set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${context}/${name}.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${context}
        # A sanitized build instruments the tool too; Qt's own allocations are no leak of ours.
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:virlo-render-icon>
                ${PROJECT_SOURCE_DIR}/data/icons/${name}.svg ${png} ${size}
        DEPENDS virlo-render-icon ${PROJECT_SOURCE_DIR}/data/icons/${name}.svg
        COMMENT "Rendering ${name}.png at ${size}x${size}"
        VERBATIM)
      list(APPEND virlo_rendered_icons ${png})
      install(FILES ${png} DESTINATION ${virlo_icon_dir}/${size}x${size}/${context})
    endforeach()
  endforeach()
endif()

# Made with the programs, so a tree with them built can be installed.
add_custom_target(virlo_install_data ALL DEPENDS ${virlo_rendered_icons} ${virlo_man_pages})
if(VIRLO_BUILD_DESKTOP)
  add_dependencies(virlo virlo_install_data)
endif()

# The Debian package: cpack -G DEB in the build directory.
set(VIRLO_PACKAGE_MAINTAINER "VIRLO maintainers <maintainers@users.noreply.c-seed-402fcd3b.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "virlo")
set(CPACK_PACKAGE_VENDOR "VIRLO")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${VIRLO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "character-art diagram editor")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VIRLO draws diagrams whose final form is plain character art: dots with
endpoint markers, lines that join end to end or meet in T-junctions,
rectangles and text boxes with aligned multi-line text, on a character grid.
The finished diagram prints as text, one character per grid cell, in UTF-8
or code page 932.
.
The package holds the Qt desktop editor virlo and the command-line tool
virlo-cli, which renders and dumps documents and replays editing scripts.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Library dependencies come from dpkg-shlibdeps (package dpkg-dev). The
# rest only makes the desktop side complete: the hicolor theme index, the
# caches the triggers refresh, and the fonts for the Japanese interface.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, shared-mime-info, desktop-file-utils, fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
