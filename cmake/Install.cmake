# What `cmake --install` puts in place, and the Debian package CPack makes of it.
include(GNUInstallDirs)
install(TARGETS grabwell-cli grabwell-thumbnailer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(GRABWELL_GUI)
  install(TARGETS grabwell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
