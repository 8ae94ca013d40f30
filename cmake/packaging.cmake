# The Debian package: the program, its simulator stand-in, the configuration
# preview, the virtual display, a sample configuration and the README.
# `cpack -G DEB` in the build folder makes it; the tests at the end check it.
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

# The package as users get it (cmake/make-package.cmake): it holds these
# files, and the preview unpacked from it passes the sample configuration
# unpacked from it. dpkg-shlibdeps (dpkg-dev) works out its dependencies.
if(FLIGHTMFD_BUILD_TESTS)
  set(unpacked ${CMAKE_BINARY_DIR}/package/unpacked/usr)
  add_test(NAME PackagePosix.Deb COMMAND ${CMAKE_COMMAND} -D GENERATOR=DEB -P ${CMAKE_CURRENT_LIST_DIR}/make-package.cmake)
  add_test(NAME PackagePosix.DebHoldsTheFiles
           COMMAND ls -d ${unpacked}/bin/flightmfd ${unpacked}/bin/flightmfd-sim ${unpacked}/bin/flightmfd-preview
                   ${unpacked}/lib/flightmfd/libvirtualmfd.so ${unpacked}/share/flightmfd/config.xml
                   ${unpacked}/share/doc/flightmfd/README.md)
  add_test(NAME PackagePosix.DebPreviewPassesTheSample
           COMMAND ${unpacked}/bin/flightmfd-preview ${unpacked}/share/flightmfd/config.xml)
  set_tests_properties(PackagePosix.Deb PROPERTIES FIXTURES_SETUP package LABELS package)
  set_tests_properties(PackagePosix.DebHoldsTheFiles PackagePosix.DebPreviewPassesTheSample
                       PROPERTIES FIXTURES_REQUIRED package LABELS package)
endif()
