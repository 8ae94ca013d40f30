# The Windows release archive: one folder with the program, the simulator
# stand-in, the configuration preview, the virtual display, a sample
# configuration and the guide for Windows users. The README stays out: it is
# written for the source tree and names files that the archive does not hold.
# `cpack -G ZIP` in build/win32 makes it; scripts/windows-package-check.sh
# checks it.
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
