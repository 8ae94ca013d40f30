#!/usr/bin/env bash
# The Windows part of the test command. Installs what the cross-build needs,
# builds build/win32 (i686, the release) and build/win64 (x86_64) through
# their presets with their unit tests under Wine, makes and checks the
# release archive (scripts/windows-package-check.sh), and runs the whole
# system under Wine, also in a console on a pseudo-terminal: on the x86_64
# build, and on the release as users get it, the files unpacked from the zip.
# The i686 build runs only where this machine runs 32-bit code
# (cmake/runs-32bit.sh); elsewhere it is compiled, linked and packed, and one
# line says so. FLIGHTMFD_32BIT=0 makes any machine count as one without
# 32-bit support.
# Needs no terminal and no standard input; every Wine run is time-limited.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/helpers.sh

step "toolchains and Wine"
scripts/windows-deps.sh
step "expat and GoogleTest; both architectures, their unit tests under Wine"
scripts/windows-build.sh
step "release archive and binaries"
scripts/windows-package-check.sh

# Both builds, the same checks: each script runs the build that
# FLIGHTMFD_WINE_ARCH names, the i686 one from the unpacked release.
run_checks() {  # arch label
    step "$2: the whole system under Wine"
    FLIGHTMFD_WINE_ARCH=$1 scripts/windows-e2e.sh
    step "$2: in a console under Wine: the live view, the key wait of a fatal end"
    FLIGHTMFD_WINE_ARCH=$1 scripts/windows-console.sh
    step "$2: text from a double-byte code page under Wine"
    FLIGHTMFD_WINE_ARCH=$1 scripts/windows-double-byte.sh
}
run_checks win64 "x86_64 build"
if cmake/runs-32bit.sh; then
    run_checks win32 "i686 release, unpacked"
    tested="both builds pass, the release as unpacked under 32-bit Wine"
else
    tested="the x86_64 build passes; the i686 release was only compiled, linked and packed (no 32-bit code runs here)"
fi

echo "windows-check: the release made and checked, $tested, in ${SECONDS} s"
