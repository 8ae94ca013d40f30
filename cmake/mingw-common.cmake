# Shared part of the mingw-w64 toolchain files (the win32 and win64 presets);
# they set `mingw_triple` first.
# Debian's posix-thread-model compilers are used so that std::thread and
# std::mutex work; every program is linked statically, so an .exe needs only
# the DLLs that come with Windows.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

# expat and GoogleTest for this architecture, built by scripts/windows-deps.sh.
get_filename_component(mingw_deps_prefix "${CMAKE_CURRENT_LIST_DIR}/../.cache/mingw/${mingw_triple}"
                       ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple} ${mingw_deps_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# The tests run under Wine, each build in a Wine prefix of its own in its
# build folder. cmake/testing.cmake decides whether the i686 tests can run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine)
