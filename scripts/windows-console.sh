#!/usr/bin/env bash
# The Windows program in a console, as a user meets it: under Wine, on a
# pseudo-terminal of a tmux server of this script's own, from the build that
# FLIGHTMFD_WINE_ARCH picks (use_wine_build in scripts/wine-common.sh).
# Checks that
#   - with FLIGHTMFD_DISPLAY_LIBRARY naming virtualmfd.dll and no registry
#     entry at all, flightmfd.exe runs against flightmfd-sim.exe, the virtual
#     display's live view shows the stand-in's values framed at the top right
#     of the console (the capture is kept in build/<arch>/console/view.txt), and
#     its record holds the same texts; Ctrl-C ends it, also while the virtual
#     display unplugs and plugs in its device;
#   - a fatal end (no config.xml) waits for a key when the console is the
#     program's alone, as after a start from Explorer (Wine counts only the
#     program on a console of its own), and does not wait with standard input
#     from a pipe or standard output to a file; flightmfd-preview.exe and
#     flightmfd-sim.exe likewise at their end;
#   - flightmfd-preview.exe shows a non-ASCII prefix as written on a console
#     set to code page 850.
# Run scripts/windows-build.sh first. Needs no terminal of its own and no
# standard input; every run is time-limited, and the tmux server and the Wine
# server are stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-common.sh
use_wine_build
work=$work_top/console
# tmux reads the panes as UTF-8 under a UTF-8 locale only.
export LANG=C.UTF-8
unset LC_ALL FLIGHTMFD_DISPLAY_LIBRARY VIRTUALMFD_VIEW
unset VIRTUALMFD_NO_DEVICE VIRTUALMFD_FAIL_INITIALIZE VIRTUALMFD_FAIL_SETSTRING
unset VIRTUALMFD_REPLUG_SECONDS

command -v tmux >/dev/null || die "needs tmux (scripts/windows-deps.sh)"
require_programs flightmfd.exe flightmfd-sim.exe flightmfd-preview.exe virtualmfd.dll

# A console of 120 columns and 40 rows; the live view's panel is 34 columns
# wide, and the program's lines fit below it without scrolling.
columns=120
socket=flightmfd-console-$$
term() { tmux -L "$socket" -f /dev/null "$@"; }
stop_console() {
    term kill-server >/dev/null 2>&1 || true
    stop_background
}
trap stop_console EXIT

start_wine_server

rm -rf "$work"
mkdir -p "$work/view" "$work/fatal"

failed=false
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
program=$(printf %q "$bin/flightmfd.exe")

# ---- No registry entry at all ----
key='HKLM\SOFTWARE\Saitek\DirectOutput'
registry delete "$key" /f >/dev/null 2>&1 || true
if registry query "$key" >/dev/null 2>&1; then
    die "$key cannot be removed from the Wine prefix"
fi

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
# The debugger output goes to debug.txt, in lines holding ':OutputDebugStringA "'.
run_in_console view "$work/view" \
    "FLIGHTMFD_DISPLAY_LIBRARY=$(printf %q "$dll") VIRTUALMFD_RECORD=record.txt \
WINEDEBUG=-all,warn+debugstr,warn+seh timeout --foreground 180 wine $program 2>debug.txt"
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
for line in 'SetString 0x1 0 0 6 " Yak-1"' 'SetString 0x1 0 1 14 "IAS 250.0 kmph"' \
    'SetString 0x1 0 2 12 "ALT 1000.0 m"'; do
    grep -Fqx "$line" record.txt 2>/dev/null || fail "the record lacks: $line"
done
for text in 'DirectOutput.dll filename : ' "${dll//\\/\\\\}"; do
    grep -Fq ":OutputDebugStringA \"$text\"" debug.txt || fail "no debugger output \"$text\""
done
grep -Fq 'GetDirectOutputFileName' debug.txt && fail "the registry was asked for the library"
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

# ---- A fatal end on a console of its own waits for a key ----
run_in_console alone "$work/fatal" "timeout --foreground 60 wine $program"
if wait_for_screen alone 45 '^Press any key to close this window'; then
    grep -q '^Cannot open config\.xml' <<<"$(screen alone)" || fail "no 'Cannot open config.xml' above the prompt"
    sleep 2
    grep -q '^exit status' <<<"$(screen alone)" && fail "the program ended without waiting for the key"
    term send-keys -t alone x
    wait_for_screen alone 30 '^exit status 255 *$' || fail "the key does not end it with status -1"
else
    fail "a fatal end on a console of its own does not ask for a key"
fi
$failed && show_screen alone
term kill-session -t alone

# ---- ... and does not wait when started by something else ----
# Standard input from a pipe that stays open: a wait would last until the
# time limit (exit status 124). Likewise with standard output to a file and
# the console as input.
expect_no_wait() {  # session command
    run_in_console "$1" "$work/fatal" "$2"
    if ! wait_for_screen "$1" 75 '^exit status'; then
        fail "$1: flightmfd.exe did not end"
    elif ! grep -q '^exit status 255 *$' <<<"$(screen "$1")"; then
        fail "$1: flightmfd.exe waited or did not fail"
    fi
    grep -q '^Press any key' <<<"$(screen "$1")" && fail "$1: it asked for a key"
    $failed && show_screen "$1"
    term kill-session -t "$1"
}
expect_no_wait input-from-pipe "timeout --foreground 60 wine $program < <(sleep 90)"
expect_no_wait output-to-file "timeout --foreground 60 wine $program >out.txt"
grep -Fq 'Cannot open config.xml' "$work/fatal/out.txt" 2>/dev/null &&
    fail "output-to-file: the fatal message went to standard output"

# ---- The tools wait for a key in a console of their own, too ----
# flightmfd-preview.exe after its report, flightmfd-sim.exe after a typo in
# its arguments or with its port taken: each asks for a key on a console of
# its own, and ends at once with standard input from a pipe or standard
# output to a file.
mkdir -p "$work/tools"
cp "$top/examples/config.xml" "$work/tools/"
preview=$(printf %q "$bin/flightmfd-preview.exe")
sim=$(printf %q "$bin/flightmfd-sim.exe")
timeout -k 5 120 wine "$bin/flightmfd-sim.exe" --port 0 --duration 90 </dev/null \
    >"$work/tools/holder.out" 2>&1 &
pids+=($!)
taken=$(simulator_port "$work/tools/holder.out") || fail "the stand-in that holds a port did not start"
expect_tool_wait() {  # session command status pattern-above-the-prompt
    run_in_console "$1" "$work/tools" "$2"
    if wait_for_screen "$1" 45 '^Press any key to close this window'; then
        grep -Eq "$4" <<<"$(screen "$1")" || fail "$1: no /$4/ above the prompt"
        sleep 2
        grep -q '^exit status' <<<"$(screen "$1")" && fail "$1: it ended without waiting for the key"
        term send-keys -t "$1" x
        wait_for_screen "$1" 30 "^exit status $3 *\$" || fail "$1: the key does not end it with status $3"
    else
        fail "$1: no key wait on a console of its own"
    fi
    $failed && show_screen "$1"
    term kill-session -t "$1"
}
expect_tool_ends() {  # session command status
    run_in_console "$1" "$work/tools" "$2"
    wait_for_screen "$1" 75 "^exit status $3 *\$" || fail "$1: it did not end at once with status $3"
    grep -q '^Press any key' <<<"$(screen "$1")" && fail "$1: it asked for a key"
    $failed && show_screen "$1"
    term kill-session -t "$1"
}
expect_tool_wait preview-alone "timeout --foreground 60 wine $preview" 0 '^No problems: config\.xml is ready\.'
expect_tool_wait sim-typo "timeout --foreground 60 wine $sim --prot 1" 2 '^flightmfd-sim: cannot use --prot 1'
expect_tool_wait sim-port-taken "timeout --foreground 60 wine $sim --port ${taken:-1}" 1 \
    "^flightmfd-sim: cannot listen on 127\\.0\\.0\\.1:${taken:-1}: "
expect_tool_ends preview-input-from-pipe "timeout --foreground 60 wine $preview < <(sleep 90)" 0
expect_tool_ends preview-output-to-file "timeout --foreground 60 wine $preview >preview.txt" 0
expect_tool_ends sim-output-to-file "timeout --foreground 60 wine $sim --prot 1 >sim.txt" 2

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

finish "the view and the fatal ends behave in a console under Wine ($wine_arch build in $bin)"
