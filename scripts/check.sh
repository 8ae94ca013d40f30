#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test: one
# workflow per preset (CMakePresets.json), each one's checks as CTest tests,
# and last the Windows programs in a console under Wine.
# The i686 release runs under 32-bit Wine where this machine runs 32-bit code,
# which a small 32-bit program probes. To check what a machine without 32-bit
# support does, override the probe: FLIGHTMFD_32BIT=0 scripts/check.sh
# (the release is then only compiled, linked, packed and checked, and one
# skipped test says so).
set -euo pipefail
cd "$(dirname "$0")/.."

stop_wine_servers() {
    local prefix
    for prefix in build/win32/wine build/win64/wine; do
        [ ! -d "$prefix" ] || WINEPREFIX=$PWD/$prefix wineserver -k >/dev/null 2>&1 || true
    done
}
trap stop_wine_servers EXIT

scripts/install-deps.sh test
scripts/windows-deps.sh

# ci: the unit and end-to-end tests and the Debian package; tidy: clang-tidy
# and the format; the sanitizers; fuzz: each target for 60 s; bench: the
# benchmarks, the measuring tool and a 30 s soak, briefly; win32 and win64:
# the unit and end-to-end tests under Wine, and the release zip with the
# end-to-end tests on it.
for preset in ci tidy asan-ubsan tsan fuzz bench; do
    echo "==== check: $preset (at ${SECONDS} s)"
    cmake --workflow --preset "$preset" --fresh
done
for preset in win32 win64; do
    echo "==== check: $preset (at ${SECONDS} s)"
    cmake --workflow --preset "$preset"
done

echo "==== check: the Windows programs in a console (at ${SECONDS} s)"
FLIGHTMFD_WINE_ARCH=win64 scripts/windows-console.sh
if cmake/runs-32bit.sh; then
    FLIGHTMFD_WINE_ARCH=win32 scripts/windows-console.sh
else
    echo "check: no 32-bit code runs here: the i686 release was built, packed and checked, not run"
fi
echo "check: every test passed in ${SECONDS} s"
