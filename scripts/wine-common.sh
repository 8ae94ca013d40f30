# shellcheck shell=bash
# What the scripts that run a Windows build under Wine share, on top of
# scripts/helpers.sh. Sourcing it defines functions and changes nothing;
# use_wine_build sets a script up for one build.
# shellcheck source=scripts/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/helpers.sh"

# Sets the script up for the build that FLIGHTMFD_WINE_ARCH picks:
#   win64  the x86_64 build, programs in build/win64/bin (the default);
#   win32  the i686 release as users get it, unpacked from the zip by
#          scripts/windows-package-check.sh into build/win32/package/unpacked/.
# Sets `top` (the top of the tree), `wine_arch`, `bin` (the folder of the
# .exe and .dll files), `work_top` (build/<arch>, where the checks keep their
# folders), an empty list `pids` of programs started in the background, and
# the environment of the build's Wine prefix, the same as cmake/wine-run.sh
# gives.
use_wine_build() {
    top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    wine_arch=${FLIGHTMFD_WINE_ARCH:-win64}
    case $wine_arch in
        win64) registry_view=/reg:64 ;;
        # A 32-bit program on 64-bit Windows sees the 32-bit view of the registry.
        win32) registry_view=/reg:32 ;;
        *)
            echo "FLIGHTMFD_WINE_ARCH is '$wine_arch', not win64 or win32" >&2
            exit 2
            ;;
    esac
    work_top=$top/build/$wine_arch
    if [ "$wine_arch" = win64 ]; then
        bin=$work_top/bin
    else
        local releases=("$work_top"/package/unpacked/flightmfd-*-win32)
        bin=${releases[0]}
        [ -d "$bin" ] ||
            bin="$work_top/package/unpacked (no release unpacked; run scripts/windows-package-check.sh)"
    fi
    pids=()

    # Both builds run in a 64-bit prefix, as on the 64-bit Windows that most
    # users have; the i686 programs run there as 32-bit programs do on Windows.
    export WINEPREFIX=$work_top/wine WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY WINELOADER

    # `wine` is the loader of the build's own width. Once wine32 is installed,
    # Debian's `wine` is the 32-bit loader, and a 64-bit program that it
    # starts shares its console with a process of the loader's: the program
    # would count two processes on a console of its own, and never know that
    # its window is its alone. So for the x86_64 build, `wine` here is the
    # 64-bit loader (scripts/wine64/wine).
    if [[ $wine_arch == win64 && -x /usr/lib/wine/wine && -x /usr/lib/wine/wine64 ]]; then
        export PATH=$top/scripts/wine64:$PATH WINELOADER=/usr/lib/wine/wine64
    fi
}

# Wine's reg.exe in the registry view that this build's programs read. Plain
# `wine reg` is the 32-bit program once wine32 is installed, and would write
# the 32-bit view whatever the build.
registry() {  # reg arguments...
    timeout -k 5 60 wine reg "$@" "$registry_view" </dev/null
}

# Ends the script unless the build's programs and its Wine prefix are there.
require_programs() {  # program...
    local program
    for program in "$@"; do
        [ -f "$bin/$program" ] || die "$bin/$program is missing"
    done
    [ -f "$WINEPREFIX/.ready" ] || die "no Wine prefix in $WINEPREFIX; run scripts/windows-build.sh"
}

# Starts this prefix's Wine server and its service processes as the tests'
# wine-run.sh does, holding no pipe of the caller's: started by a program
# whose output is read through a pipe, they would keep that pipe open after
# the program ended. A server left from another run goes first: it would
# keep that run's locale.
start_wine_server() {
    wineserver -k >/dev/null 2>&1 || true
    timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
    timeout -k 10 300 "$top/cmake/wine-run.sh" "$WINEPREFIX" cmd /c exit </dev/null >/dev/null 2>&1 ||
        die "Wine does not start in $WINEPREFIX"
}

# Ends the programs in `pids` and the Wine server: trap stop_background EXIT.
stop_background() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
}

# Prints the port of a flightmfd-sim.exe started with --port 0 and its
# standard output in `file`, once its first line is there; fails after 60 s.
simulator_port() {  # file
    local answering='^flightmfd-sim answering on 127\.0\.0\.1:([0-9]+)$'
    wait_for 60 "$1" "$answering" || return 1
    tr -d '\r' <"$1" | sed -En "s/$answering/\\1/p" | head -n 1
}
