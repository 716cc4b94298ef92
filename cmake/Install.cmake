# What `cmake --install` puts in place, and the Debian package CPack makes of it.
#   bin/                                     the programs
#   share/applications/grabwell.desktop      the menu entry (desktop program only)
#   share/icons/hicolor/NxN/apps/grabwell.png, share/pixmaps/grabwell.png
#   share/thumbnailers/grabwell.thumbnailer  thumbnails in file managers
#   share/man/man1/*.1.gz                    the manual pages
# all of them the "runtime" component (the grabwell package), and the API for
# other programs, the "dev" component (grabwell-dev, cmake/Api.cmake).
include(GNUInstallDirs)
# An install rule that names no component still lands in the program package.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME runtime)
install(TARGETS grabwell-cli grabwell-thumbnailer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
if(GRABWELL_GUI)
  install(TARGETS grabwell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endif()

set(GW_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)
install(FILES ${GW_DESKTOP_DIR}/grabwell.thumbnailer
        DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers COMPONENT runtime)

if(GRABWELL_GUI)
  install(FILES ${GW_DESKTOP_DIR}/grabwell.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT runtime)
  # The same pictures the Qt resource file carries, under the theme's names.
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/grabwell-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME grabwell.png COMPONENT runtime)
  endforeach()
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/grabwell-48.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps
          RENAME grabwell.png COMPONENT runtime)
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
install(FILES ${GW_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

include(${CMAKE_CURRENT_LIST_DIR}/Api.cmake)

# Installs into a scratch root and checks every file is in place and valid.
if(GRABWELL_GUI)
  add_test(NAME Install.PutsEverythingInPlace
           COMMAND ${CMAKE_SOURCE_DIR}/tools/check-install.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(Install.PutsEverythingInPlace PROPERTIES TIMEOUT 60)
endif()

# `cpack -G DEB` in the build folder: one package per component,
#   grabwell_<version>_<arch>.deb      the programs (runtime), its Depends
#                                      worked out by dpkg-shlibdeps from the
#                                      programs' libraries
#   grabwell-dev_<version>_<arch>.deb  the API (dev): headers, libgrabwell.a,
#                                      the CMake package and grabwell.pc
#   python3-grabwell_<version>_<arch>.deb  the Python module (python, when
#                                      it is built): lib/python3/dist-packages/grabwell
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME grabwell)
set(CPACK_PACKAGE_VENDOR "Grabwell developers")
set(CPACK_PACKAGE_CONTACT "Grabwell developers <grabwell@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description starts with its own summary line; CPack has one
# summary for all packages and prepends it to every description unless it is
# left at its default, so CPACK_PACKAGE_DESCRIPTION_SUMMARY stays unset.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"find, view, extract and convert icons, cursors and bitmaps
Grabwell reads .ico, .cur and .bmp files, 32-bit (PE) and 16-bit (NE)
executables and libraries, .icl icon libraries and compiled resource files
(.res, .r32, .r16, .dcr), shows what each one holds, and writes what it finds
as stand-alone .ico, .cur, .bmp or .png files, one at a time or in bulk over
a whole folder tree.
.
The package holds the desktop program, grabwell-cli for scripts and batch
jobs, and grabwell-thumbnailer, which shows the icons of executables and
libraries as thumbnails in file managers.")
set(CPACK_DEBIAN_DEV_DESCRIPTION
"Grabwell's document API for C++ programs
The library under Grabwell's programs: open an .ico, .cur, .bmp or .ani file,
a 32-bit (PE) or 16-bit (NE) executable or library, an .icl icon library or a
compiled resource file once, read its icon groups, cursor groups, bitmaps and
animated cursors, learn what is damaged and at which byte, draw its icons and
write them as .ico, .cur, .bmp or .png files.
.
The package holds the C++20 headers (grabwell/grabwell.h), the static library
libgrabwell.a, a CMake package (find_package(Grabwell), target
Grabwell::grabwell) and a pkg-config file (grabwell).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME grabwell)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME grabwell-dev)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Grabwell developers <grabwell@localhost>")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# The static library needs libpng and libdeflate at every link.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libpng-dev, libdeflate-dev, libopenjp2-7-dev")
if(GW_PYTHON_MODULE)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-grabwell)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # The native part is built for one Python minor version; libpng and the C++
  # run-time come from dpkg-shlibdeps.
  string(REPLACE "." ";" GW_PY_PARTS ${GW_PYTHON_VERSION})
  list(GET GW_PY_PARTS 0 GW_PY_MAJOR)
  list(GET GW_PY_PARTS 1 GW_PY_MINOR)
  math(EXPR GW_PY_NEXT "${GW_PY_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${GW_PYTHON_VERSION}~), python3 (<< ${GW_PY_MAJOR}.${GW_PY_NEXT})")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION
"Grabwell's document API for Python
The Python module grabwell: open an .ico, .cur, .bmp or .ani file, a 32-bit
(PE) or 16-bit (NE) executable or library, an .icl icon library or a compiled
resource file once, read its icon groups, cursor groups, bitmaps and animated
cursors with their pixels, learn what is damaged and at which byte, and write
them as .ico, .cur, .bmp, .ani or .png files.")
endif()
include(CPack)
