#!/bin/sh
# Runs one Windows program under Wine, headless, in the Wine prefix given as
# the first argument; the win32 and win64 presets run their tests through it.
#   wine-run.sh <prefix> <program.exe> [arguments...]
# The prefix is made on first use, and made again when the Wine install has
# changed since.
#
# Wine's server and its service processes outlive the program that started
# them and keep its standard output open: started by a test, or by test
# discovery in a build step, they would hold ctest's or ninja's pipe, which
# then does not end. So when no server runs for the prefix, one is started
# here first with its services, holding no pipe; it ends a minute after the
# last program of the prefix.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEARCH=win64
export WINEDEBUG="${WINEDEBUG--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml=}"
unset DISPLAY WAYLAND_DISPLAY
# Wine takes the ANSI code page from the locale. One that the build made for
# its tests (tests/CMakeLists.txt) is in the build folder, beside the prefix.
if [ -n "${LC_ALL:-}" ] && [ -d "$prefix/../locale/$LC_ALL" ]; then
    export LOCPATH="$prefix/../locale"
fi
# A prefix made before wine32 was installed fails at every start ("could not
# load kernel32.dll"), so .ready holds the install it was made with.
install=$(dpkg-query -W -f '${Package}:${Architecture}=${Version} ' wine64 'wine32:i386' 2>/dev/null || true)
mkdir -p "$prefix"
# Several programs may start at once (test discovery in a parallel build).
# The lock is not passed on (-o): the server that starts under it stays.
# wineserver exits 2, quietly, when the prefix has a server already.
# shellcheck disable=SC2016 # the inner script expands its own variables
FLIGHTMFD_WINE_INSTALL="$install" flock -o "$prefix/.lock" sh -c '
    if [ "$(cat "$WINEPREFIX/.ready" 2>/dev/null)" != "$FLIGHTMFD_WINE_INSTALL" ]; then
        wineserver -k 2>/dev/null
        find "$WINEPREFIX" -mindepth 1 -maxdepth 1 ! -name .lock -exec rm -rf {} +
        wine wineboot -i && wineserver -w && printf %s "$FLIGHTMFD_WINE_INSTALL" >"$WINEPREFIX/.ready" ||
            exit 1
    fi
    if wineserver -p60; then
        wine cmd /c exit
    fi
    exit 0
' </dev/null >/dev/null 2>&1
exec wine "$@"
