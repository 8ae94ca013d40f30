# Sourced by the scripts that run a Windows build under Wine, with $top set to
# the top of the tree. FLIGHTMFD_WINE_ARCH picks the build:
#   win64  the x86_64 build, programs in build/win64/bin (the default);
#   win32  the i686 release as users get it, unpacked from the zip by
#          scripts/windows-check.sh into build/win32/package/unpacked/.
# FLIGHTMFD_WINE_BIN names another folder of programs for that build.
# Sets `wine_arch`, `bin` (the folder of the .exe and .dll files), `work_top`
# (build/<arch>, where the checks keep their folders) and the environment of
# the build's Wine prefix, the same as cmake/wine-run.sh gives.

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
if [ -n "${FLIGHTMFD_WINE_BIN:-}" ]; then
    bin=$FLIGHTMFD_WINE_BIN
elif [ "$wine_arch" = win64 ]; then
    bin=$work_top/bin
else
    bin=$(ls -d "$work_top"/package/unpacked/flightmfd-*-win32 2>/dev/null | head -n 1)
    bin=${bin:-$work_top/package/unpacked (no release unpacked; run scripts/windows-check.sh)}
fi

# Both builds run in a 64-bit prefix, as on the 64-bit Windows that most
# users have; the i686 programs run there as 32-bit programs do on Windows.
export WINEPREFIX=$work_top/wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# `wine` is the loader of the build's own width. Once wine32 is installed,
# Debian's `wine` is the 32-bit loader, and a 64-bit program that it starts
# shares its console with a process of the loader's: the program would count
# two processes on a console of its own, and never know that its window is
# its alone. So for the x86_64 build, `wine` here is the 64-bit loader.
# A caller that sourced this for the other build passes its PATH on.
loader_folder=$top/build/win64/wine-loader
PATH=:$PATH:
PATH=${PATH//:$loader_folder:/:}
PATH=${PATH#:}
PATH=${PATH%:}
unset WINELOADER
if [[ $wine_arch == win64 && -x /usr/lib/wine/wine && -x /usr/lib/wine/wine64 ]]; then
    # A script, not a link: the loader started by another name starts the
    # program through the 32-bit one again.
    mkdir -p "$loader_folder"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$loader_folder/wine"
    chmod +x "$loader_folder/wine"
    export PATH=$loader_folder:$PATH WINELOADER=/usr/lib/wine/wine64
fi

# Wine's reg.exe in the registry view that this build's programs read. Plain
# `wine reg` is the 32-bit program once wine32 is installed, and would write
# the 32-bit view whatever the build.
registry() {  # reg arguments...
    timeout -k 5 60 wine reg "$@" "$registry_view" </dev/null
}

# Fails unless the build's programs and its Wine prefix are there.
require_programs() {  # check-name program...
    local check=$1 program
    shift
    for program in "$@"; do
        [ -f "$bin/$program" ] || { echo "$check: $bin/$program is missing" >&2; exit 1; }
    done
    [ -f "$WINEPREFIX/.ready" ] || { echo "$check: no Wine prefix; run windows-build.sh" >&2; exit 1; }
}

# The programs a check starts in the background, as `pids+=($!)`; a check
# ends them and the Wine server on its way out: trap stop_background EXIT.
pids=()
stop_background() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
}

# Starts the Wine server and its service processes here, holding no pipe of
# the caller's: started by a program whose output is read through a pipe,
# they would keep that pipe open after the program ended.
start_wine_server() {
    wineserver -p </dev/null >/dev/null 2>&1
    timeout -k 10 120 wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Prints the port of a flightmfd-sim.exe started with --port 0 and its
# standard output in `file`, once its first line is there; fails after 60 s.
simulator_port() {  # file
    local deadline=$((SECONDS + 60)) port
    until port=$(tr -d '\r' 2>/dev/null <"$1" |
        sed -n 's/^flightmfd-sim answering on 127\.0\.0\.1:\([0-9]*\)$/\1/p') && [ -n "$port" ]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
    echo "$port"
}

# Whether this machine runs 32-bit x86 code: a three-instruction 32-bit
# program that exits 0. A kernel without 32-bit support refuses to start it,
# so the probe cannot hang. FLIGHTMFD_32BIT=0 (or 1) overrides it, for
# example to check what a machine without 32-bit support does.
runs_32bit() {
    case ${FLIGHTMFD_32BIT:-} in
        0) return 1 ;;
        1) return 0 ;;
    esac
    local dir status=0
    dir=$(mktemp -d)
    printf '.globl _start\n_start:\n\tmovl $1, %%eax\n\txorl %%ebx, %%ebx\n\tint $0x80\n' >"$dir/probe.s"
    { as --32 -o "$dir/probe.o" "$dir/probe.s" && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" &&
        timeout -k 1 10 "$dir/probe"; } </dev/null >/dev/null 2>&1 || status=1
    rm -rf "$dir"
    return "$status"
}
