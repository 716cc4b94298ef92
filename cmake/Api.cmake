# The document API other programs build against, installed as the "dev"
# component (the grabwell-dev package):
#   include/grabwell/grabwell.h and the headers it reaches (platform/, formats/,
#     pictures/ and batch/core/SetIcon.h under grabwell/, their includes of
#     each other rewritten)
#   lib/libgrabwell.a                 the platform, formats and pictures layers and
#                                     setting a program's icon, cursor or version
#                                     (grabwell_setprogram) in one archive
#   lib/cmake/Grabwell/               find_package(Grabwell): the imported target Grabwell::grabwell
#   lib/pkgconfig/grabwell.pc         pkg-config --cflags --libs grabwell
# (lib is CMAKE_INSTALL_LIBDIR.)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(GW_API_ROOT ${CMAKE_BINARY_DIR}/api)
set(GW_API_INCLUDE ${GW_API_ROOT}/include)
set(GW_API_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Grabwell)

# The headers, copied at build time so that an edited header is copied again.
# The script follows the umbrella's includes and refuses a public header that
# reaches beyond what the library holds: the three layers, and the header of
# each source of grabwell_setprogram.
set(GW_API_FILES)
foreach(source IN LISTS GW_SET_PROGRAM_SOURCES)
  file(RELATIVE_PATH header ${CMAKE_SOURCE_DIR} ${source})
  string(REGEX REPLACE "\\.cpp$" ".h" header "${header}")
  list(APPEND GW_API_FILES ${header})
endforeach()
list(TRANSFORM GW_API_FILES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE GW_API_FILE_PATHS)
string(REPLACE ";" "," GW_API_FILES "${GW_API_FILES}")
file(GLOB GW_API_HEADER_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/platform/*.h ${CMAKE_SOURCE_DIR}/formats/*.h ${CMAKE_SOURCE_DIR}/pictures/*.h)
add_custom_command(OUTPUT ${GW_API_ROOT}/headers.stamp
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DUMBRELLA=${CMAKE_SOURCE_DIR}/api/grabwell.h
          -DOUT=${GW_API_INCLUDE} -DSTAMP=${GW_API_ROOT}/headers.stamp -DPUBLIC_FILES=${GW_API_FILES}
          -P ${CMAKE_CURRENT_LIST_DIR}/ApiHeaders.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/api/grabwell.h ${CMAKE_CURRENT_LIST_DIR}/ApiHeaders.cmake ${GW_API_HEADER_SOURCES}
          ${GW_API_FILE_PATHS}
  COMMENT "Copying the API headers to api/include/grabwell"
  VERBATIM)
add_custom_target(grabwell_api_headers ALL DEPENDS ${GW_API_ROOT}/headers.stamp)

# One archive of the three layers' objects and grabwell_setprogram's
# (compiled once, for their own libraries), so that consumers link a single
# library.
add_library(grabwell_api STATIC
  $<TARGET_OBJECTS:grabwell_platform> $<TARGET_OBJECTS:grabwell_formats> $<TARGET_OBJECTS:grabwell_pictures>
  $<TARGET_OBJECTS:grabwell_setprogram>)
set_target_properties(grabwell_api PROPERTIES
  OUTPUT_NAME grabwell
  EXPORT_NAME grabwell
  LINKER_LANGUAGE CXX
  ARCHIVE_OUTPUT_DIRECTORY ${GW_API_ROOT}/lib)
add_dependencies(grabwell_api grabwell_api_headers)
target_include_directories(grabwell_api INTERFACE
  $<BUILD_INTERFACE:${GW_API_INCLUDE}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(grabwell_api INTERFACE cxx_std_20)
# libpng and libdeflate: here the build's own pkg-config targets; for consumers
# CMake's PNG::PNG, which GrabwellConfig.cmake finds, and libdeflate by its
# library name (Debian's libdeflate-dev has no CMake package file).
target_link_libraries(grabwell_api INTERFACE $<BUILD_INTERFACE:PkgConfig::PNG> $<INSTALL_INTERFACE:PNG::PNG>
                                             $<BUILD_INTERFACE:PkgConfig::DEFLATE> $<INSTALL_INTERFACE:deflate>
                                             $<BUILD_INTERFACE:PkgConfig::OPENJP2> $<INSTALL_INTERFACE:openjp2>)

install(DIRECTORY ${GW_API_INCLUDE}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(TARGETS grabwell_api EXPORT GrabwellTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(EXPORT GrabwellTargets NAMESPACE Grabwell:: DESTINATION ${GW_API_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/GrabwellConfig.cmake.in
  ${GW_API_ROOT}/GrabwellConfig.cmake INSTALL_DESTINATION ${GW_API_CMAKE_DIR})
# Before 1.0 a new minor version may change the API.
write_basic_package_version_file(${GW_API_ROOT}/GrabwellConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${GW_API_ROOT}/GrabwellConfig.cmake ${GW_API_ROOT}/GrabwellConfigVersion.cmake
        DESTINATION ${GW_API_CMAKE_DIR} COMPONENT dev)

# grabwell.pc finds its prefix from its own place (${pcfiledir}), so the same
# file serves `cmake --install --prefix ANY` and the Debian package: CPack
# installs into a staging folder, so an absolute prefix written at install
# time would name that folder.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(GW_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(GW_PC_LIBDIR "${CMAKE_INSTALL_FULL_LIBDIR}")
  set(GW_PC_INCLUDEDIR "${CMAKE_INSTALL_FULL_INCLUDEDIR}")
else()
  set(GW_PC_PREFIX "\${pcfiledir}")
  string(REPLACE "/" ";" parts "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
  foreach(part IN LISTS parts)
    if(part AND NOT part STREQUAL ".")
      string(APPEND GW_PC_PREFIX "/..")
    endif()
  endforeach()
  set(GW_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(GW_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/grabwell.pc.in ${GW_API_ROOT}/grabwell.pc @ONLY)
install(FILES ${GW_API_ROOT}/grabwell.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# tests/InstalledApi_test.cpp installs this into a scratch prefix under the
# build folder and builds examples/list-icons against it (tools/check-api.sh).
# Not in the sanitizer or fuzzer builds: their objects need those runtimes,
# which a plain consumer does not link.
if(TARGET grabwell_tests AND NOT GRABWELL_SANITIZE AND NOT GRABWELL_FUZZ)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/tests/InstalledApi_test.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    GRABWELL_API_CHECK="${CMAKE_SOURCE_DIR}/tools/check-api.sh"
    GRABWELL_API_BUILD="${CMAKE_BINARY_DIR}"
    GRABWELL_API_SCRATCH="${CMAKE_BINARY_DIR}/api-check")
  add_dependencies(grabwell_tests grabwell_api)
endif()
