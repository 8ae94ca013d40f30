# Sourced by the scripts that run the x86_64 build under Wine (with $top set
# to the top of the tree): the environment of its Wine prefix, the same as
# cmake/wine-run.sh gives, and the pieces that each of them needs.

export WINEPREFIX=$top/build/win64/wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

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
