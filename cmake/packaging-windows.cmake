# The Windows release archive: one folder with the program, the simulator
# stand-in, the configuration preview, the virtual display, a sample
# configuration and the guide for Windows users. The README stays out: it is
# written for the source tree and names files that the archive does not hold.
# `cpack -G ZIP` in build/win32 makes it; the tests at the end check it.
# Flat, unlike the Debian package: flightmfd.exe reads config.xml from its
# working folder, so a user unpacks the folder and starts the program there.
install(TARGETS flightmfd flightmfd-sim flightmfd-preview RUNTIME DESTINATION .)
# The DLL alone; its import library is of no use to anyone, since the
# program loads it by the path in the registry.
install(FILES $<TARGET_FILE:virtualmfd> DESTINATION .)
# The guide with its version filled in and Windows line ends, which every
# Notepad shows.
configure_file(${PROJECT_SOURCE_DIR}/docs/README-Windows.txt
  ${PROJECT_BINARY_DIR}/README-Windows.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES examples/config.xml ${PROJECT_BINARY_DIR}/README-Windows.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME flightmfd)
set(CPACK_PACKAGE_VENDOR "flightmfd")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# flightmfd-<version>-win32/ at the top of flightmfd-<version>-win32.zip.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# flightmfd-<version>-win32.zip.sha256 beside it, for users to check a download.
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)

# The release, the i686 build's archive, as users get it
# (cmake/make-package.cmake): its files and checksum, its guide and its
# programs (cmake/check-release.cmake), and the entry points that the virtual
# display exports. The tests that run on Windows run again on the programs
# unpacked from it (tests/CMakeLists.txt). These need no Wine, so they run on
# a machine without 32-bit support too.
if(FLIGHTMFD_BUILD_TESTS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME PackageWindows.Zip COMMAND ${CMAKE_COMMAND} -D GENERATOR=ZIP -P ${CMAKE_CURRENT_LIST_DIR}/make-package.cmake)
  set_tests_properties(PackageWindows.Zip PROPERTIES FIXTURES_SETUP package LABELS package)
  foreach(part archive guide binaries)
    add_test(NAME PackageWindows.Release.${part}
             COMMAND ${CMAKE_COMMAND} -D PART=${part} -D VERSION=${PROJECT_VERSION}
                     -D SAMPLE=${PROJECT_SOURCE_DIR}/examples/config.xml -D BUILT=${CMAKE_BINARY_DIR}/bin
                     -D OBJDUMP=${CMAKE_OBJDUMP} -D WINDRES=${CMAKE_RC_COMPILER}
                     -P ${CMAKE_CURRENT_LIST_DIR}/check-release.cmake)
    set_tests_properties(PackageWindows.Release.${part} PROPERTIES FIXTURES_REQUIRED package LABELS package)
  endforeach()

  # The names that the loader asks for, as the virtual display as built and
  # as released exports them: their one list, which device/ reads.
  string(JOIN "," exports ${DIRECTOUTPUT_ENTRY_POINTS})
  add_test(NAME PackageWindows.VirtualDisplayExportsTheEntryPoints
           COMMAND ${CMAKE_COMMAND} -D OBJDUMP=${CMAKE_OBJDUMP} -D EXPORTS=${exports}
                   -D LIBRARIES=$<TARGET_FILE:virtualmfd>,${flightmfd_release_folder}/virtualmfd.dll
                   -P ${CMAKE_CURRENT_LIST_DIR}/check-exports.cmake)
  set_tests_properties(PackageWindows.VirtualDisplayExportsTheEntryPoints
                       PROPERTIES FIXTURES_REQUIRED package LABELS package)
endif()
