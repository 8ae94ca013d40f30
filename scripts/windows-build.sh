#!/usr/bin/env bash
# Cross-builds for Windows and runs the tests under Wine:
#   build/win32  i686, the release; its tests run under 32-bit Wine where this
#                machine runs 32-bit code, and are only compiled elsewhere.
#   build/win64  x86_64; its tests run under Wine.
# Run scripts/windows-deps.sh first. FLIGHTMFD_32BIT=0 makes the machine
# count as one without 32-bit support (see runs_32bit in wine-common.sh).
#
#   scripts/windows-build.sh [--keep-going] [target...]
#
# Without targets every target is built and every test runs. With targets,
# only those are built, and the tests of every test program present run (in
# a fresh folder, those of the targets named); a test program that is missing
# is skipped, not failed. --keep-going builds whatever builds (ninja -k 0),
# runs the tests of what is there, and still fails at the end if anything did
# not build.
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
configure_and_build() {  # folder toolchain [cmake options...]
    local folder=$1 toolchain=$2
    shift 2
    cmake -S "$top" -B "$folder" -G Ninja --log-level=WARNING \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Werror" "$@"
    if $keep_going; then
        cmake --build "$folder" "${targets[@]}" -- -k 0 || build_failed=true
    else
        cmake --build "$folder" "${targets[@]}"
    fi
}

# runs_32bit and start_wine_server. The tests of both builds run through
# cmake/wine-run.sh with Debian's own `wine`, not the x86_64 checks' loader.
path=$PATH
source "$top/scripts/wine-common.sh"
PATH=$path
unset WINELOADER

# Wine's server and its service processes outlive the program that started
# them and keep its standard output open: started from a build step or a
# test they would hold ninja's or ctest's pipe, which then does not end. So
# they are started here, with no pipe, one per prefix, and stopped when the
# script ends. wine-run.sh makes the prefix, or makes it again after the
# Wine install changed; about 12 s, and the limit only keeps a broken Wine
# from hanging CI.
prefixes=()
start_wine() {  # prefix
    export WINEPREFIX=$1
    prefixes+=("$1")
    timeout -k 10 300 "$top/cmake/wine-run.sh" "$1" cmd /c exit </dev/null >/dev/null 2>&1 || {
        echo "windows-build: Wine does not start in $1" >&2
        exit 1
    }
    # The server that run started ends on its own a few seconds later; only
    # then can a persistent one start.
    timeout -k 10 60 wineserver -w
    start_wine_server
}
stop_wine() {
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    done
}
trap stop_wine EXIT

run32=false
if runs_32bit; then
    run32=true
fi

# Test discovery runs each test program under Wine as part of the build.
if $run32; then
    start_wine "$top/build/win32/wine"
fi
configure_and_build build/win32 mingw-i686.cmake -DFLIGHTMFD_WINE32="$($run32 && echo ON || echo OFF)"
start_wine "$top/build/win64/wine"
configure_and_build build/win64 mingw-x86_64.cmake

# A test program that was not built stands in ctest's list as <name>_NOT_BUILT.
skip=()
if $keep_going || ((${#targets[@]})); then
    skip=(--exclude-regex '_NOT_BUILT$')
fi
tests_failed=false
ctest --test-dir build/win64 --output-on-failure --timeout 300 --no-tests=error "${skip[@]}" ||
    tests_failed=true
if $run32; then
    ctest --test-dir build/win32 --output-on-failure --timeout 300 --no-tests=error "${skip[@]}" ||
        tests_failed=true
else
    echo "windows-build: this machine runs no 32-bit code: the i686 build (the release) was only compiled and linked"
fi

if $build_failed; then
    echo "windows-build: some targets did not build (see the errors above)" >&2
fi
if $build_failed || $tests_failed; then
    exit 1
fi
