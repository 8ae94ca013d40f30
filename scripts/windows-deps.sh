#!/usr/bin/env bash
# Installs the Debian packages that the Windows cross-build needs, when
# missing: the mingw-w64 compilers (posix thread model), Wine (with 32-bit
# Wine, wine32:i386, where this machine runs 32-bit code), tmux (a console for
# the programs under Wine), the GoogleTest sources and the locales (the
# double-byte test's zh_CN.UTF-8, made by the build). scripts/windows-build.sh
# builds expat and GoogleTest with them. A second run finds everything in
# place and returns within a second or two. Works as root or through sudo,
# with or without a terminal.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
    wine wine64 tmux googletest dpkg-dev locales

# 32-bit Wine runs the release build; the probe needs the assembler and the
# linker that came with the compilers above.
if cmake/runs-32bit.sh; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "Adding the i386 architecture for 32-bit Wine"
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo dpkg --add-architecture i386
    fi
    # install-deps.sh updates the package lists before it installs.
    scripts/install-deps.sh wine32:i386
fi
