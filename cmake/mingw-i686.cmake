# 32-bit Windows, the release build. Nothing built here can run on the build
# machine, so there is no emulator and the tests are only compiled and linked.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(mingw_triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
