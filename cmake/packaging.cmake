# The Debian package: the program, its simulator stand-in, the configuration
# preview, the virtual display, a sample configuration and the README.
# `cpack -G DEB` in the build folder makes it; scripts/package-check.sh checks it.
install(TARGETS flightmfd flightmfd-sim flightmfd-preview RUNTIME DESTINATION bin)
# The program loads the virtual display by the path that the registry
# stand-in gives, so it stays out of the linker's search path.
install(TARGETS virtualmfd LIBRARY DESTINATION lib/flightmfd)
install(FILES examples/config.xml DESTINATION share/flightmfd)
install(FILES README.md DESTINATION share/doc/flightmfd)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME flightmfd)
set(CPACK_PACKAGE_VENDOR "flightmfd")
set(CPACK_PACKAGE_CONTACT "flightmfd maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# One line, without semicolons: CMake would take those as list separators.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Polls a flight simulator over UDP and writes its values to the multi-function display of a \
joystick. With flightmfd-sim, a stand-in for the simulator, flightmfd-preview, which checks a \
configuration and shows its pages, and a virtual display to run without the joystick.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# dpkg-shlibdeps (dpkg-dev) works out the library packages it needs: libexpat1 and the C++ runtime.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
