#!/usr/bin/env bash
# Cross-builds for Windows and runs the tests under Wine:
#   build/win32  i686, the release: compiled and linked; nothing runs it here.
#   build/win64  x86_64: built the same way, and its tests run under Wine.
# Run scripts/windows-deps.sh first.
#
#   scripts/windows-build.sh [--keep-going] [target...]
#
# Without targets every target is built and every test runs. With targets,
# only those are built, and the tests of every test program present in
# build/win64 run (in a fresh folder, those of the targets named); a test
# program that is missing is skipped, not failed. --keep-going builds whatever
# builds (ninja -k 0), runs the tests of what is there, and still fails at the
# end if anything did not build.
# Exits non-zero when a build step or a test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

keep_going=false
targets=()
for argument in "$@"; do
    case $argument in
        --keep-going) keep_going=true ;;
        *) targets+=(--target "$argument") ;;
    esac
done

build_failed=false
configure_and_build() {  # folder toolchain
    cmake -S "$top" -B "$1" -G Ninja --log-level=WARNING \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Werror"
    if $keep_going; then
        cmake --build "$1" "${targets[@]}" -- -k 0 || build_failed=true
    else
        cmake --build "$1" "${targets[@]}"
    fi
}

# The same environment as cmake/wine-run.sh, for the server commands below.
source "$top/scripts/wine-common.sh"

# Wine's server and its service processes outlive the program that started
# them and keep its standard output open: started from a build step or a
# test they would hold ninja's or ctest's pipe, which then does not end. So
# they are started here, with no pipe, and stopped when the script ends.
start_wine() {
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/.ready" ]; then
        echo "Making the Wine prefix $WINEPREFIX"
        # Prints a harmless "failed to open ...syswow64\rundll32.exe" line.
        # About 12 s; the limits only keep a broken Wine from hanging CI.
        timeout -k 10 300 wine wineboot -i </dev/null >/dev/null 2>&1
        timeout -k 10 300 wineserver -w
        touch "$WINEPREFIX/.ready"
    fi
    start_wine_server
}
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }

configure_and_build build/win32 mingw-i686.cmake

start_wine
trap stop_wine EXIT
# Test discovery runs each test program under Wine as part of the build.
configure_and_build build/win64 mingw-x86_64.cmake

# A test program that was not built stands in ctest's list as <name>_NOT_BUILT.
skip=()
if $keep_going || ((${#targets[@]})); then
    skip=(--exclude-regex '_NOT_BUILT$')
fi
tests_failed=false
ctest --test-dir build/win64 --output-on-failure --timeout 300 --no-tests=error "${skip[@]}" ||
    tests_failed=true

if $build_failed; then
    echo "windows-build: some targets did not build (see the errors above)" >&2
fi
if $build_failed || $tests_failed; then
    exit 1
fi
