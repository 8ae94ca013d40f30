#!/usr/bin/env bash
# The Windows program in a console, as a user meets it: under Wine, on a
# pseudo-terminal of a tmux server of this script's own, from the build that
# FLIGHTMFD_WINE_ARCH picks: win64, the x86_64 build (the default), or win32,
# the i686 release as users get it, unpacked from the zip by the win32
# build's package tests. What the end-to-end tests prove under Wine (the
# library named by FLIGHTMFD_DISPLAY_LIBRARY alone, the record, the debugger
# output) is not checked again here; what only a console shows is:
#   - the virtual display's live view shows the stand-in's values framed at
#     the top right of the console (the capture is kept in
#     build/<arch>/console/view.txt); Ctrl-C ends the program, also while the
#     virtual display unplugs and plugs in its device;
#   - a fatal end (no config.xml) waits for a key when the console is the
#     program's alone, as after a start from Explorer (Wine counts only the
#     program on a console of its own), and does not wait with standard input
#     from a pipe or standard output to a file; flightmfd-preview.exe and
#     flightmfd-sim.exe likewise at their end;
#   - flightmfd-preview.exe shows a non-ASCII prefix as written on a console
#     set to code page 850.
# Run the workflow of the build first (cmake --workflow --preset win64). Needs
# no terminal of its own and no standard input; every run is time-limited,
# and the tmux server and the Wine server are stopped at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
wine_arch=${FLIGHTMFD_WINE_ARCH:-win64}
work_top=$top/build/$wine_arch
work=$work_top/console
failed=false
pids=()
die() {
    echo "windows-console: FAILED: $*" >&2
    exit 1
}
# A failure after which the script goes on, to report every one.
fail() {
    echo "windows-console: FAILED: $*" >&2
    failed=true
}
show() {  # file...: the first lines of each, without Windows' carriage returns
    local file
    for file in "$@"; do
        echo "---- $file" >&2
        tr -d '\r' <"$file" 2>/dev/null | head -n 40 >&2 || true
    done
}

case $wine_arch in
    win64) bin=$work_top/bin ;;
    win32)
        releases=("$work_top"/package/unpacked/flightmfd-*-win32)
        bin=${releases[0]}
        ;;
    *) die "FLIGHTMFD_WINE_ARCH is '$wine_arch', not win64 or win32" ;;
esac
for program in flightmfd.exe flightmfd-sim.exe flightmfd-preview.exe virtualmfd.dll; do
    [ -f "$bin/$program" ] || die "$bin/$program is missing; run cmake --workflow --preset $wine_arch"
done
command -v tmux >/dev/null || die "needs tmux (scripts/install-deps.sh windows)"

# Both builds run in the build's 64-bit prefix, as the tests do
# (cmake/wine-run.sh), as on the 64-bit Windows that most users have; the
# i686 programs run there as 32-bit programs do on Windows.
export WINEPREFIX=$work_top/wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/.ready" ] || die "no Wine prefix in $WINEPREFIX; run cmake --workflow --preset $wine_arch"
unset DISPLAY WAYLAND_DISPLAY WINELOADER
# `wine` is the loader of the build's own width. Once wine32 is installed,
# Debian's `wine` is the 32-bit loader, and a 64-bit program that it starts
# shares its console with a process of the loader's: the program would count
# two processes on a console of its own, and never know that its window is
# its alone. So for the x86_64 build, `wine` here is the 64-bit loader
# (scripts/wine64/wine).
if [[ $wine_arch == win64 && -x /usr/lib/wine/wine && -x /usr/lib/wine/wine64 ]]; then
    export PATH=$top/scripts/wine64:$PATH WINELOADER=/usr/lib/wine/wine64
fi
# tmux reads the panes as UTF-8 under a UTF-8 locale only.
export LANG=C.UTF-8
unset LC_ALL FLIGHTMFD_DISPLAY_LIBRARY VIRTUALMFD_VIEW
unset VIRTUALMFD_NO_DEVICE VIRTUALMFD_FAIL_INITIALIZE VIRTUALMFD_FAIL_SETSTRING
unset VIRTUALMFD_REPLUG_SECONDS

# A console of 120 columns and 40 rows; the live view's panel is 34 columns
# wide, and the program's lines fit below it without scrolling.
columns=120
socket=flightmfd-console-$$
term() { tmux -L "$socket" -f /dev/null "$@"; }
stop_console() {
    term kill-server >/dev/null 2>&1 || true
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
}
trap stop_console EXIT

# The prefix's Wine server and its service processes, started as the tests'
# wine-run.sh does, holding no pipe of ours: started by a program whose
# output is read through a pipe, they would keep that pipe open after the
# program ended. A server left from another run goes first: it would keep
# that run's locale.
wineserver -k >/dev/null 2>&1 || true
timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
timeout -k 10 300 "$top/cmake/wine-run.sh" "$WINEPREFIX" cmd /c exit </dev/null >/dev/null 2>&1 ||
    die "Wine does not start in $WINEPREFIX"

rm -rf "$work"
mkdir -p "$work/view" "$work/fatal"

screen() {  # session: the console as it looks now, trailing blanks kept
    term capture-pane -p -N -t "$1" 2>/dev/null || true
}
show_screen() {  # session
    echo "---- the console of '$1':" >&2
    screen "$1" | sed 's/ *$//' >&2
}
# Starts `command` (one line of bash) in a new session on a console of its
# own; the session stays after the command ends, telling its exit status.
run_in_console() {  # session folder command
    local line
    line="cd $(printf %q "$2") && $3; echo \"exit status \$?\"; sleep 600"
    term new-session -d -s "$1" -x "$columns" -y 40 "exec bash -c $(printf %q "$line")"
}
# Waits up to `seconds` for a line of the console matching an extended regular
# expression.
wait_for_screen() {  # session seconds pattern
    local deadline=$((SECONDS + $2))
    until grep -Eq "$3" <<<"$(screen "$1")"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
}
# Prints the port of a flightmfd-sim.exe started with --port 0 and its
# standard output in `file`, once its first line is there; fails after 60 s.
simulator_port() {  # file
    local answering='^flightmfd-sim answering on 127\.0\.0\.1:([0-9]+)$' deadline=$((SECONDS + 60))
    until tr -d '\r' 2>/dev/null <"$1" | grep -Eq "$answering"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
    tr -d '\r' <"$1" | sed -En "s/$answering/\\1/p" | head -n 1
}
program=$(printf %q "$bin/flightmfd.exe")

# ---- The simulator stand-in, on a free port, with fixed values ----
cd "$work/view"
timeout -k 5 300 wine "$bin/flightmfd-sim.exe" --port 0 --duration 240 \
    --value 22=Yak-1 --value 30=250 --value 40=1000 </dev/null >sim.out 2>sim.err &
pids+=($!)
if ! port=$(simulator_port sim.out); then
    show sim.out sim.err
    die "the simulator stand-in did not start"
fi
sed "s/port=\"[0-9]*\"/port=\"$port\"/" "$top/examples/config.xml" >config.xml

# ---- The live view, with the library named by the variable ----
dll=$(winepath -w "$bin/virtualmfd.dll")
run_in_console view "$work/view" \
    "FLIGHTMFD_DISPLAY_LIBRARY=$(printf %q "$dll") timeout --foreground 180 wine $program"
# Page 0 of the sample, as the stand-in's values fill it: each row of the
# panel ends at the console's right edge, after 16 columns for what a line
# holds beyond the display's 16 (blank here).
blank=$(printf '%16s' '')
rows=('┌PAGE00' '│ Yak-1          │' '│IAS 250.0 kmph  │' '│ALT 1000.0 m    │' '└────────────────┘')
panel_shown() {  # the first five lines of the console hold page 0's panel
    local number=0 line
    while IFS= read -r line && ((number < ${#rows[@]})); do
        case $number in
            0) [[ $line == *"${rows[0]}"*"┐$blank" ]] || return 1 ;;
            *) [[ $line == *"${rows[$number]}$blank" ]] || return 1 ;;
        esac
        number=$((number + 1))
    done < <(screen view)
    ((number == ${#rows[@]}))
}
# The view shows each of the sample's five pages for three seconds in turn.
deadline=$((SECONDS + 90))
until panel_shown; do
    if ((SECONDS >= deadline)); then
        fail "the console does not show page 0 framed at its top right"
        show_screen view
        break
    fi
    sleep 0.3
done
screen view | sed 's/ *$//' >"$work/view.txt"
if ! $failed; then
    echo "windows-console: the console shows (the capture is in $work/view.txt):"
    head -n 5 "$work/view.txt" | sed 's/^/    /'
fi
# Ctrl-C ends the program, view and all.
term send-keys -t view C-c
wait_for_screen view 30 'exit status [0-9]+' || { fail "Ctrl-C does not end flightmfd.exe"; show_screen view; }
term kill-session -t view

# ---- Ctrl-C also ends it while the virtual display re-plugs its device ----
run_in_console replug "$work/view" \
    "FLIGHTMFD_DISPLAY_LIBRARY=$(printf %q "$dll") VIRTUALMFD_VIEW=0 VIRTUALMFD_REPLUG_SECONDS=1 \
timeout --foreground 120 wine $program"
if wait_for_screen replug 60 '^Initialization MFD OK'; then
    sleep 2
    term send-keys -t replug C-c
    wait_for_screen replug 30 'exit status [0-9]+' ||
        { fail "Ctrl-C does not end flightmfd.exe while the display re-plugs"; show_screen replug; }
else
    fail "flightmfd.exe did not start with a re-plugging display"
    show_screen replug
fi
term kill-session -t replug

# ---- A fatal end, and the tools' end, wait for a key on a console of their own ----
# ... and end at once when started by something else: with standard input
# from a pipe that stays open (a wait would last until the time limit, exit
# status 124), or standard output to a file and the console as input.
expect_wait() {  # session folder command status pattern-above-the-prompt
    run_in_console "$1" "$2" "$3"
    if wait_for_screen "$1" 45 '^Press any key to close this window'; then
        grep -Eq "$5" <<<"$(screen "$1")" || fail "$1: no /$5/ above the prompt"
        sleep 2
        grep -q '^exit status' <<<"$(screen "$1")" && fail "$1: it ended without waiting for the key"
        term send-keys -t "$1" x
        wait_for_screen "$1" 30 "^exit status $4 *\$" || fail "$1: the key does not end it with status $4"
    else
        fail "$1: no key wait on a console of its own"
    fi
    $failed && show_screen "$1"
    term kill-session -t "$1"
}
expect_no_wait() {  # session folder command status
    run_in_console "$1" "$2" "$3"
    wait_for_screen "$1" 75 "^exit status $4 *\$" || fail "$1: it did not end at once with status $4"
    grep -q '^Press any key' <<<"$(screen "$1")" && fail "$1: it asked for a key"
    $failed && show_screen "$1"
    term kill-session -t "$1"
}
expect_wait alone "$work/fatal" "timeout --foreground 60 wine $program" 255 '^Cannot open config\.xml'
expect_no_wait input-from-pipe "$work/fatal" "timeout --foreground 60 wine $program < <(sleep 90)" 255
expect_no_wait output-to-file "$work/fatal" "timeout --foreground 60 wine $program >out.txt" 255
grep -Fq 'Cannot open config.xml' "$work/fatal/out.txt" 2>/dev/null &&
    fail "output-to-file: the fatal message went to standard output"

# flightmfd-preview.exe after its report, flightmfd-sim.exe after a typo in
# its arguments or with its port taken.
mkdir -p "$work/tools"
cp "$top/examples/config.xml" "$work/tools/"
preview=$(printf %q "$bin/flightmfd-preview.exe")
sim=$(printf %q "$bin/flightmfd-sim.exe")
timeout -k 5 120 wine "$bin/flightmfd-sim.exe" --port 0 --duration 90 </dev/null \
    >"$work/tools/holder.out" 2>&1 &
pids+=($!)
taken=$(simulator_port "$work/tools/holder.out") || fail "the stand-in that holds a port did not start"
tools=$work/tools
expect_wait preview-alone "$tools" "timeout --foreground 60 wine $preview" 0 '^No problems: config\.xml is ready\.'
expect_wait sim-typo "$tools" "timeout --foreground 60 wine $sim --prot 1" 2 '^flightmfd-sim: cannot use --prot 1'
expect_wait sim-port-taken "$tools" "timeout --foreground 60 wine $sim --port ${taken:-1}" 1 \
    "^flightmfd-sim: cannot listen on 127\\.0\\.0\\.1:${taken:-1}: "
expect_no_wait preview-input-from-pipe "$tools" "timeout --foreground 60 wine $preview < <(sleep 90)" 0
expect_no_wait preview-output-to-file "$tools" "timeout --foreground 60 wine $preview >preview.txt" 0
expect_no_wait sim-output-to-file "$tools" "timeout --foreground 60 wine $sim --prot 1 >sim.txt" 2

# ---- The preview shows every character on a console of another code page ----
# Code page 850 has "ö" at another byte than UTF-8 writes it: bytes written
# as they are would show "H├Âhe" there.
mkdir -p "$work/cp850"
printf '<c>\n<il2host ipAddress="127.0.0.1" port="20010"/>\n<line prefix="H\xc3\xb6he">altimeter</line>\n</c>\n' \
    >"$work/cp850/config.xml"
# WINEPATH puts the release's folder on the command prompt's PATH.
run_in_console cp850 "$work/cp850" "WINEPATH=$(printf %q "$(winepath -w "$bin")") \
timeout --foreground 60 wine cmd /c $(printf %q 'chcp 850 >nul & flightmfd-preview.exe config.xml')"
wait_for_screen cp850 45 '^exit status' || fail "cp850: the preview did not end"
grep -Fq '|Höhe 1250.0 m   |' <<<"$(screen cp850)" || fail "cp850: 'Höhe' does not show as written"
$failed && show_screen cp850
term kill-session -t cp850

$failed && exit 1
echo "windows-console: the view and the fatal ends behave in a console under Wine ($wine_arch build in $bin)"
