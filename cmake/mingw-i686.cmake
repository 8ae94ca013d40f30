# 32-bit Windows, the release build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(mingw_triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The tests run under Wine where the machine runs 32-bit code;
# scripts/windows-build.sh passes -DFLIGHTMFD_WINE32=OFF where it does not,
# and the tests are then only compiled and linked.
if(NOT DEFINED FLIGHTMFD_WINE32 OR FLIGHTMFD_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine)
endif()
