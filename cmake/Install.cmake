# What `cmake --install` puts in place, and the Debian package CPack makes of it.
#   bin/                                     the programs
#   share/applications/grabwell.desktop      the menu entry (desktop program only)
#   share/icons/hicolor/NxN/apps/grabwell.png, share/pixmaps/grabwell.png
#   share/thumbnailers/grabwell.thumbnailer  thumbnails in file managers
#   share/man/man1/*.1.gz                    the manual pages
include(GNUInstallDirs)
install(TARGETS grabwell-cli grabwell-thumbnailer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(GRABWELL_GUI)
  install(TARGETS grabwell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(GW_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)
install(FILES ${GW_DESKTOP_DIR}/grabwell.thumbnailer
        DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)

if(GRABWELL_GUI)
  install(FILES ${GW_DESKTOP_DIR}/grabwell.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The same pictures the Qt resource file carries, under the theme's names.
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/grabwell-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME grabwell.png)
  endforeach()
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/grabwell-48.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps
          RENAME grabwell.png)
endif()

# Manual pages: one per installed program, compressed with gzip -9n (no name
# or time stamp inside, so the same page always gives the same bytes). Built
# with the programs, so building only the programs still leaves something to
# install.
set(GW_MAN_PAGES grabwell-cli grabwell-thumbnailer)
set(GW_PROGRAMS grabwell-cli grabwell-thumbnailer)
if(GRABWELL_GUI)
  list(APPEND GW_MAN_PAGES grabwell)
  list(APPEND GW_PROGRAMS grabwell)
endif()
find_program(GW_GZIP gzip)
set(GW_MAN_OUT ${CMAKE_BINARY_DIR}/man)
set(GW_MAN_FILES)
foreach(page ${GW_MAN_PAGES})
  set(source ${CMAKE_SOURCE_DIR}/man/${page}.1)
  if(GW_GZIP)
    set(out ${GW_MAN_OUT}/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${GW_MAN_OUT}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${GW_MAN_OUT}/${page}.1
      COMMAND ${GW_GZIP} -9nf ${GW_MAN_OUT}/${page}.1
      DEPENDS ${source}
      COMMENT "Compressing manual page ${page}.1"
      VERBATIM)
    list(APPEND GW_MAN_FILES ${out})
  else()
    list(APPEND GW_MAN_FILES ${source})
  endif()
endforeach()
add_custom_target(grabwell-man ALL DEPENDS ${GW_MAN_FILES})
foreach(program ${GW_PROGRAMS})
  add_dependencies(${program} grabwell-man)
endforeach()
install(FILES ${GW_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Installs into a scratch root and checks every file is in place and valid.
if(GRABWELL_GUI)
  add_test(NAME Install.PutsEverythingInPlace
           COMMAND ${CMAKE_SOURCE_DIR}/tools/check-install.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(Install.PutsEverythingInPlace PROPERTIES TIMEOUT 60)
endif()

# `cpack -G DEB` in the build folder: grabwell_<version>_<arch>.deb, its
# Depends worked out by dpkg-shlibdeps from the programs' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME grabwell)
set(CPACK_PACKAGE_VENDOR "Grabwell developers")
set(CPACK_PACKAGE_CONTACT "Grabwell developers <grabwell@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "find, view, extract and convert icons, cursors and bitmaps")
set(CPACK_PACKAGE_DESCRIPTION
"Grabwell reads .ico, .cur and .bmp files, 32-bit (PE) and 16-bit (NE)
executables and libraries, .icl icon libraries and compiled resource files
(.res, .r32, .r16, .dcr), shows what each one holds, and writes what it finds
as stand-alone .ico, .cur, .bmp or .png files, one at a time or in bulk over
a whole folder tree.
.
The package holds the desktop program, grabwell-cli for scripts and batch
jobs, and grabwell-thumbnailer, which shows the icons of executables and
libraries as thumbnails in file managers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Grabwell developers <grabwell@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
