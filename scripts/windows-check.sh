#!/usr/bin/env bash
# The Windows part of the test command. Installs what the cross-build needs,
# builds build/win32 (i686, the release) and build/win64 (x86_64) through
# their presets with their unit and end-to-end tests under Wine, makes and
# checks the release archive (scripts/windows-package-check.sh), runs the
# end-to-end tests again on the release as users get it, the files unpacked
# from the zip, and runs both in a console on a pseudo-terminal
# (scripts/windows-console.sh).
# The i686 build runs only where this machine runs 32-bit code
# (cmake/runs-32bit.sh); elsewhere it is compiled, linked and packed, and one
# line says so. FLIGHTMFD_32BIT=0 makes any machine count as one without
# 32-bit support.
# Needs no terminal and no standard input; every Wine run is time-limited, and
# the builds' Wine servers are stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/helpers.sh

stop_wine_servers() {
    local prefix
    for prefix in build/win32/wine build/win64/wine; do
        [ ! -d "$prefix" ] || WINEPREFIX=$PWD/$prefix wineserver -k >/dev/null 2>&1 || true
    done
}
trap stop_wine_servers EXIT

step "toolchains and Wine"
scripts/windows-deps.sh
step "expat and GoogleTest; both architectures, their unit and end-to-end tests under Wine"
scripts/windows-build.sh
step "release archive and binaries"
scripts/windows-package-check.sh

step "x86_64 build: in a console under Wine: the live view, the key wait of a fatal end"
FLIGHTMFD_WINE_ARCH=win64 scripts/windows-console.sh
if cmake/runs-32bit.sh; then
    # The tests of build/win32 start the programs that FLIGHTMFD_TEST_PROGRAMS
    # names, by their Windows path: Wine's drive Z: is the root folder.
    releases=("$PWD"/build/win32/package/unpacked/flightmfd-*-win32)
    step "i686 release, unpacked: the end-to-end tests under Wine"
    FLIGHTMFD_TEST_PROGRAMS="Z:${releases[0]}" ctest --preset win32 -L e2e
    step "i686 release, unpacked: in a console under Wine"
    FLIGHTMFD_WINE_ARCH=win32 scripts/windows-console.sh
    tested="both builds pass, the release as unpacked under 32-bit Wine"
else
    tested="the x86_64 build passes; the i686 release was only compiled, linked and packed (no 32-bit code runs here)"
fi

echo "windows-check: the release made and checked, $tested, in ${SECONDS} s"
