# The Windows release archive: one folder with the program, the simulator
# stand-in, the configuration preview, the virtual display, a sample
# configuration and the README.
# `cpack -G ZIP` in build/win32 makes it; scripts/windows-check.sh checks it.
# Flat, unlike the Debian package: flightmfd.exe reads config.xml from its
# working folder, so a user unpacks the folder and starts the program there.
install(TARGETS flightmfd flightmfd-sim flightmfd-preview RUNTIME DESTINATION .)
# The DLL alone; its import library is of no use to anyone, since the
# program loads it by the path in the registry.
install(FILES $<TARGET_FILE:virtualmfd> DESTINATION .)
install(FILES examples/config.xml README.md DESTINATION .)

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
