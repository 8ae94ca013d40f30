#!/usr/bin/env bash
# The whole system under Wine, from the build that FLIGHTMFD_WINE_ARCH picks
# (use_wine_build in scripts/wine-common.sh): the simulator stand-in answers
# on 127.0.0.1, flightmfd.exe runs in a folder of its own with a config.xml,
# and the registry entry names the virtual display (virtualmfd.dll), which
# records every call. Checks the program's start-up lines, that the display is
# given the simulator's values, and the loader's registry path: no entry, and
# an entry naming a library that is not there. Before that,
# flightmfd-preview.exe shows the stand-in's values; after it, the preview's
# diagnosis of the display library in four cases, what it adds to the parser's
# words for a file in another encoding and an element left open, and that the
# untouched sample passes its check against the stand-in.
# Run scripts/windows-build.sh first. Every Wine run is time-limited, and the
# Wine server is stopped at the end; no standard input is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-common.sh
use_wine_build
work=$work_top/e2e
# The registry decides here, whatever the caller's environment names.
unset FLIGHTMFD_DISPLAY_LIBRARY
# The virtual display writes its record into the working folder and draws
# nothing.
export VIRTUALMFD_RECORD=record.txt VIRTUALMFD_VIEW=0
# The debugger output, on Wine's standard error, in lines holding
# ':OutputDebugStringA "' (wide texts arrive there converted).
debugger=-all,warn+debugstr,warn+seh

require_programs flightmfd.exe flightmfd-sim.exe flightmfd-preview.exe virtualmfd.dll
trap stop_background EXIT

start_wine_server

rm -rf "$work"
mkdir -p "$work"
cd "$work"

failed=false
key='HKLM\SOFTWARE\Saitek\DirectOutput'

# ---- The simulator stand-in, on a free port, with fixed values ----
timeout -k 5 300 wine "$bin/flightmfd-sim.exe" --port 0 --duration 240 \
    --value 22=Yak-1 --value 30=250 --value 40=150 </dev/null >sim.out 2>sim.err &
pids+=($!)
if ! port=$(simulator_port sim.out); then
    show sim.out sim.err
    die "the simulator stand-in did not start"
fi
# The sample, and one line more on a page of its own: 150 m in km lies on a
# rounding edge. Narrowed to single precision, as every build must, 0.15 is
# 0.150000006 and shows as 0.2; kept in the x87 unit's excess precision it
# would show as 0.1.
sed -e "s/port=\"[0-9]*\"/port=\"$port\"/" \
    -e 's|^</flightmfd>|    <line prefix="ALT" unit="km">altimeter</line>\n&|' \
    "$top/examples/config.xml" >config.xml

# ---- The preview, asking the stand-in once ----
status=0
timeout -k 5 60 wine "$bin/flightmfd-preview.exe" --sim config.xml </dev/null >preview.txt 2>&1 ||
    status=$?
[ "$status" -eq 0 ] || fail "flightmfd-preview.exe --sim exited with $status on the sample"
for line in ' Yak-1' 'IAS 250.0 kmph' 'ALT 0.2 km'; do
    tr -d '\r' <preview.txt | grep -Fq "|$line" || fail "the preview does not show '$line'"
done
if $failed; then
    show preview.txt
fi

# ---- The whole system ----
dll=$(winepath -w "$bin/virtualmfd.dll")
registry add "$key" /v DirectOutputX86 /t REG_SZ /d "$dll" /f >/dev/null 2>&1
WINEDEBUG=$debugger timeout -k 5 120 wine "$bin/flightmfd.exe" </dev/null >out.txt 2>err.txt &
program=$!
pids+=("$program")
# Values from the simulator on page 0 and, converted, on pages 1 and 5 (a
# foot is 0.304 m to this program).
wanted=(
    'SetString 0x1 0 0 6 " Yak-1"'
    'SetString 0x1 0 1 14 "IAS 250.0 kmph"'
    'SetString 0x1 0 2 11 "ALT 150.0 m"'
    'SetString 0x1 1 0 12 "IAS 135.0 kn"'
    'SetString 0x1 1 1 12 "ALT 493.4 ft"'
    'SetString 0x1 5 0 10 "ALT 0.2 km"'
)
wait_for_lines 90 "$program" record.txt "${wanted[@]}" || true
end_program "$program"

# The main thread's lines, in the order start-up makes them; the worker
# threads' own lines may come anywhere between them.
expected=(
    '^main : \[pid : [0-9]+\] \[tid : [0-9]+\]$'
    "^il2IPAddress : 127\\.0\\.0\\.1, il2Port : $port\$"
    "^Socket connected to server \\[127\\.0\\.0\\.1 : $port\\]\$"
    '^askDataThread started : \[tid : [0-9]+\]$'
    '^recDataThread started : \[tid : [0-9]+\]$'
    '^refreshIL2DisplayThread started : \[tid : [0-9]+\]$'
    '^Initialization MFD OK$'
    '^refreshMFDThread started : \[tid : [0-9]+\]$'
)
tr -d '\r' <out.txt | grep -Ev '^(askDataThread|recDataThread|refreshIL2DisplayThread|refreshMFDThread) : ' \
    >main-lines.txt || true
if [ "$(wc -l <main-lines.txt)" -ne "${#expected[@]}" ]; then
    fail "standard output does not hold exactly the ${#expected[@]} start-up lines"
    show out.txt err.txt
else
    number=0
    while IFS= read -r line; do
        grep -Eq "${expected[$number]}" <<<"$line" ||
            fail "start-up line $((number + 1)) is '$line', not /${expected[$number]}/"
        number=$((number + 1))
    done <main-lines.txt
fi
for line in 'Initialize "MFD"' RegisterDeviceChangeCallback Enumerate 'AddPage 0x1 0 "PAGE00" 1' \
    'AddPage 0x1 1 "PAGE01" 0' "${wanted[@]}"; do
    grep -Fqx "$line" record.txt 2>/dev/null || fail "the record lacks: $line"
done
for text in 'DirectOutput.dll filename : ' "${dll//\\/\\\\}" '\n'; do
    grep -Fq ":OutputDebugStringA \"$text\"" err.txt || fail "no debugger output \"$text\""
done
if $failed; then
    show record.txt
fi

# ---- A simulator that falls silent ----
# The stand-in flies its loop and answers for 2 s from the first query, then
# receives but answers nothing for 3 s. Windows reports no closed port to this
# program, so its state lines come from the answers alone: one "not
# answering" line in the silence, one "answering again" after it, and the
# airspeed moves on the display again.
timeout -k 5 120 wine "$bin/flightmfd-sim.exe" --port 0 --duration 100 --silent 2:3 \
    </dev/null >silent-sim.out 2>silent-sim.err &
pids+=($!)
silent_line='^Simulator not answering on 127\.0\.0\.1 : [0-9]+, polling goes on$'
airspeed() { grep -F 'SetString 0x1 0 1 ' silent/record.txt 2>/dev/null | tail -n 1; }
if silent_port=$(simulator_port silent-sim.out); then
    mkdir -p silent
    sed "s/port=\"[0-9]*\"/port=\"$silent_port\"/" "$top/examples/config.xml" >silent/config.xml
    (cd silent && exec timeout -k 5 120 wine "$bin/flightmfd.exe" </dev/null >out.txt 2>err.txt) &
    program=$!
    pids+=("$program")
    if wait_for 60 silent/out.txt "$silent_line"; then
        stale=$(airspeed)
        grep -q '^flightmfd-sim silent' silent-sim.out ||
            fail "silent simulator: 'Simulator not answering' came before the silence"
        grep -q '^flightmfd-sim answering again' silent-sim.out &&
            fail "silent simulator: 'Simulator not answering' came only after the silence"
        wait_for 30 silent/out.txt '^Simulator answering again$' ||
            fail "silent simulator: no 'Simulator answering again'"
        deadline=$((SECONDS + 20))
        until [ "$(airspeed)" != "$stale" ] || ((SECONDS >= deadline)); do
            sleep 0.5
        done
        [ "$(airspeed)" != "$stale" ] || fail "silent simulator: the airspeed stays '$stale'"
    else
        fail "silent simulator: no 'Simulator not answering' line"
    fi
    end_program "$program"
    for pattern in "$silent_line" '^Simulator answering again$'; do
        count=$(tr -d '\r' <silent/out.txt | grep -Ec "$pattern" || true)
        [ "$count" -eq 1 ] || fail "silent simulator: $count lines /$pattern/, not 1"
    done
    [ ! -s silent/err.txt ] || fail "silent simulator: the program wrote to standard error"
else
    fail "the silent simulator stand-in did not start"
fi
if $failed; then
    show silent-sim.out silent/out.txt silent/err.txt
fi

# ---- The loader's registry path: no library, so no display ----
# Standard input is closed, so the key the program waits for is there at once.
expect_no_library() {  # label debugger-text
    local status=0
    WINEDEBUG=$debugger timeout -k 5 60 wine "$bin/flightmfd.exe" </dev/null \
        >"out-$1.txt" 2>"err-$1.txt" || status=$?
    tr -d '\r' <"out-$1.txt" | grep -Fqx 'Failed to initialize DirectOutput, press any key to quit' ||
        fail "$1: no 'Failed to initialize DirectOutput' line"
    [ "$status" -eq 255 ] || fail "$1: exit status $status, not 255"
    grep -Fq ":OutputDebugStringA \"$2\\n\"" "err-$1.txt" || fail "$1: no debugger output \"$2\""
}
registry add "$key" /v DirectOutputX86 /t REG_SZ /d 'C:\absent\DirectOutput.dll' /f >/dev/null 2>&1
expect_no_library missing-library 'LoadLibrary failed'
registry delete "$key" /f >/dev/null 2>&1
expect_no_library no-entry 'GetDirectOutputFileName failed'

# ---- The preview tells where the program finds the display library ----
# Four ways a user meets it: no entry, a wrong path, a path in double quotes,
# and the virtual display in the registry. The preview only reads: the key
# is the same after it as before.
mkdir -p library
cp "$top/examples/config.xml" library/
if [ "$wine_arch" = win32 ]; then
    view='in the 32-bit view of the registry (in regedit: HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Saitek\DirectOutput)'
else
    view='(the 64-bit view of the registry)'
fi
loads='It loads, and exports the five entry points that the program calls.'
stops='the program stops with "Failed to initialize DirectOutput, press any key to quit".'
expect_library() {  # label variable (empty: not set) text...
    local label=$1 before after text ok=true setting=()
    [ -z "$2" ] || setting=(FLIGHTMFD_DISPLAY_LIBRARY="$2")
    shift 2
    before=$(registry query "$key" /s 2>&1 || true)
    (cd library && exec env "${setting[@]}" timeout -k 5 60 wine "$bin/flightmfd-preview.exe" \
        </dev/null >"$label.txt" 2>&1) || true
    after=$(registry query "$key" /s 2>&1 || true)
    [ "$before" = "$after" ] || { fail "library, $label: the preview changed the registry"; ok=false; }
    for text in "$@"; do
        tr -d '\r' <"library/$label.txt" | grep -Fq -- "$text" ||
            { fail "library, $label: no '$text'"; ok=false; }
    done
    $ok || show "library/$label.txt"
}
registry delete "$key" /f >/dev/null 2>&1 || true
expect_library no-entry '' \
    "FLIGHTMFD_DISPLAY_LIBRARY is not set, so the program reads the value DirectOutputX86 of HKEY_LOCAL_MACHINE\\SOFTWARE\\Saitek\\DirectOutput $view." \
    "That key is not there; $stops" "set FLIGHTMFD_DISPLAY_LIBRARY=%CD%\\virtualmfd.dll"
expect_library wrong-path 'C:\absent\DirectOutput.dll' 'Path: C:\absent\DirectOutput.dll' \
    "No file is there; $stops" 'set FLIGHTMFD_DISPLAY_LIBRARY='
expect_library quoted-path "\"$dll\"" \
    'FLIGHTMFD_DISPLAY_LIBRARY names it (in double quotes, which the program takes off)' \
    "Path: $dll" "$loads"
registry add "$key" /v DirectOutputX86 /t REG_SZ /d "$dll" /f >/dev/null 2>&1
expect_library virtual-display '' "Path: $dll" "$loads"
registry delete "$key" /f >/dev/null 2>&1

# The program takes the quoted path too: its display starts.
(cd library && exec env FLIGHTMFD_DISPLAY_LIBRARY="\"$dll\"" \
    timeout -k 5 60 wine "$bin/flightmfd.exe" </dev/null >program-quoted.txt 2>&1) &
quoted_program=$!
pids+=("$quoted_program")
wait_for 45 library/program-quoted.txt '^Initialization MFD OK$' ||
    { fail "flightmfd.exe does not take a quoted FLIGHTMFD_DISPLAY_LIBRARY"; show library/program-quoted.txt; }
end_program "$quoted_program"

# ---- What the preview adds to the parser's words ----
# A file saved as "ANSI" (code page 1252), one saved as "Unicode" (UTF-16)
# that declares UTF-8, and an element left open; each exits 2 with a line
# saying what to mend. A UTF-16 file that says so works, and so does a path
# that the ANSI code page cannot spell.
mkdir -p encodings
host='<il2host ipAddress="127.0.0.1" port="20010"/>'
printf '<?xml version="1.0"?>\n<c>\n%s\n<line prefix="H\xf6he">altimeter</line>\n</c>\n' "$host" \
    >encodings/ansi.xml
utf16() { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; }
printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<c>\r\n%s\r\n<line>altimeter</line>\r\n</c>\r\n' \
    "$host" | utf16 >encodings/unicode.xml
printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<c>\r\n%s\r\n<line prefix="H\xc3\xb6he">altimeter</line>\r\n</c>\r\n' \
    "$host" | utf16 >encodings/unicode-said.xml
printf '<?xml version="1.0" encoding="UTF-8"?>\n<flightmfd>\n    %s\n    <line>plane</line>\n    <line prefix="IAS">speedometer_indicated\n    <line prefix="ALT">altimeter</line>\n</flightmfd>\n' \
    "$host" >encodings/unclosed.xml
mkdir -p "encodings/Łódź"
cp "$top/examples/config.xml" "encodings/Łódź/config.xml"
expect_preview() {  # label file status text
    local status=0
    (cd encodings && exec env LANG=C.UTF-8 timeout -k 5 60 wine "$bin/flightmfd-preview.exe" "$2" \
        </dev/null >"$1.txt" 2>&1) || status=$?
    if [ "$status" -ne "$3" ] || ! tr -d '\r' <"encodings/$1.txt" | grep -Fq -- "$4"; then
        fail "preview of $2: exit status $status (not $3), or no '$4'"
        show "encodings/$1.txt"
    fi
}
save='Save it as UTF-8: in Notepad, File, Save As, with Encoding UTF-8.'
expect_preview ansi ansi.xml 2 \
    "ansi.xml:4:16: byte 0xF6 is not UTF-8: the file is saved in another encoding (\"ANSI\" in an older Notepad). $save"
expect_preview unicode unicode.xml 2 \
    "unicode.xml:1: the file is saved as UTF-16 (\"Unicode\" in Notepad), but its first line says encoding=\"UTF-8\". $save"
expect_preview unclosed unclosed.xml 2 \
    'unclosed.xml:5: <line>, opened here, is still open at the end tag on line 7: close it with </line>'
expect_preview unicode-said unicode-said.xml 0 '|Höhe 1250.0 m   |'
expect_preview non-ansi-path 'Łódź\config.xml' 0 'Łódź\config.xml: 15 lines on 5 pages'

# ---- The untouched sample against the untouched stand-in ----
# Only the port is the stand-in's own, so that nothing else here can hold it.
timeout -k 5 120 wine "$bin/flightmfd-sim.exe" --port 0 --duration 60 \
    </dev/null >untouched-sim.out 2>&1 &
pids+=($!)
if untouched_port=$(simulator_port untouched-sim.out); then
    status=0
    timeout -k 5 60 wine "$bin/flightmfd-preview.exe" --sim "127.0.0.1:$untouched_port" \
        "$(winepath -w "$top/examples/config.xml")" </dev/null >untouched.txt 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "the untouched sample does not pass --sim against the stand-in ($status)"
    for text in '| Stand-in-Plane |' 'No problems: '; do
        tr -d '\r' <untouched.txt | grep -Fq "$text" || fail "the untouched sample's preview lacks '$text'"
    done
    $failed && show untouched.txt
else
    fail "the untouched stand-in did not start"
fi

finish "the whole system runs under Wine, $wine_arch build in $bin (simulator port $port)"
