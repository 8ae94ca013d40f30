#!/bin/sh
# Runs one Windows program under Wine, headless, in the Wine prefix given as
# the first argument; the prefix is made on first use, and made again when
# the Wine install has changed since.
#   wine-run.sh <prefix> <program.exe> [arguments...]
# A caller that collects the output through a pipe (ctest, a build step) must
# have the Wine server and its service processes running before the first
# program starts: started by a test, they inherit the pipe and hold it open
# after the test ends. scripts/windows-build.sh does that.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEARCH=win64
export WINEDEBUG="${WINEDEBUG--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml=}"
unset DISPLAY WAYLAND_DISPLAY
# A prefix made before wine32 was installed fails at every start ("could not
# load kernel32.dll"), so .ready holds the install it was made with.
install=$(dpkg-query -W -f '${Package}:${Architecture}=${Version} ' wine64 'wine32:i386' 2>/dev/null || true)
if [ "$(cat "$prefix/.ready" 2>/dev/null || true)" != "$install" ]; then
    mkdir -p "$prefix"
    # Several programs may start at once (test discovery in a parallel build).
    FLIGHTMFD_WINE_INSTALL="$install" flock "$prefix/.lock" sh -c '
        [ "$(cat "$WINEPREFIX/.ready" 2>/dev/null)" = "$FLIGHTMFD_WINE_INSTALL" ] && exit 0
        wineserver -k 2>/dev/null
        find "$WINEPREFIX" -mindepth 1 -maxdepth 1 ! -name .lock -exec rm -rf {} +
        wine wineboot -i && wineserver -w && printf %s "$FLIGHTMFD_WINE_INSTALL" >"$WINEPREFIX/.ready"
    ' </dev/null >/dev/null 2>&1
fi
exec wine "$@"
