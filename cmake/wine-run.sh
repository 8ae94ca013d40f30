#!/bin/sh
# Runs one Windows program under Wine, headless, in the Wine prefix given as
# the first argument; the prefix is made on first use.
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
if [ ! -f "$prefix/.ready" ]; then
    mkdir -p "$prefix"
    # Several programs may start at once (test discovery in a parallel build).
    flock "$prefix/.lock" sh -c \
        '[ -f "$WINEPREFIX/.ready" ] || { wine wineboot -i && wineserver -w && touch "$WINEPREFIX/.ready"; }' \
        </dev/null >/dev/null 2>&1
fi
exec wine "$@"
