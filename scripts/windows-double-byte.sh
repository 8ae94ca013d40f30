#!/usr/bin/env bash
# Text from a double-byte code page, under Wine, on the build that
# FLIGHTMFD_WINE_ARCH picks (use_wine_build in scripts/wine-common.sh). With
# LANG=zh_CN.UTF-8, Wine's ANSI code page is 936 (GBK): the simulator stand-in
# sends the aircraft's name in GBK, whose bytes are valid UTF-8 as well,
# config.xml gives prefixes in UTF-8, and both must reach the virtual display
# as written. The zh_CN.UTF-8 locale is made for this script alone (localedef
# into build/<arch>/locale, read through LOCPATH); nothing of the system
# changes.
# Run scripts/windows-build.sh first. Every Wine run is time-limited, and the
# Wine server is stopped at the end; no standard input is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-common.sh
use_wine_build
work=$work_top/double-byte
unset FLIGHTMFD_DISPLAY_LIBRARY LC_ALL
export VIRTUALMFD_RECORD=record.txt VIRTUALMFD_VIEW=0

require_programs flightmfd.exe flightmfd-sim.exe virtualmfd.dll

locales=$work_top/locale
if [ ! -d "$locales/zh_CN.UTF-8" ]; then
    mkdir -p "$locales"
    localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8" >/dev/null 2>&1 ||
        die "cannot make the zh_CN.UTF-8 locale (Debian's locales package)"
fi
export LOCPATH=$locales LANG=zh_CN.UTF-8

trap stop_background EXIT
start_wine_server

rm -rf "$work"
mkdir -p "$work"
cd "$work"

# "Fighter" in GBK (d5 bd b6 b7 bb fa: read as UTF-8, two other characters).
printf '22 \xd5\xbd\xb6\xb7\xbb\xfa\n30 250\n40 1000\n' >values.txt
timeout -k 5 120 wine "$bin/flightmfd-sim.exe" --port 0 --duration 100 --values values.txt \
    </dev/null >sim.out 2>sim.err &
pids+=($!)
if ! port=$(simulator_port sim.out); then
    show sim.out sim.err
    die "the simulator stand-in did not start"
fi
# "Altitude" and "speed" in Chinese, as UTF-8.
cat >config.xml <<XML
<?xml version="1.0" encoding="UTF-8"?>
<flightmfd>
    <il2host ipAddress="127.0.0.1" port="$port"/>
    <line prefix="">plane</line>
    <line prefix="高度" unit="m">altimeter</line>
    <line prefix="速度" unit="kmph" suffix="公里">speedometer_indicated</line>
</flightmfd>
XML

registry add 'HKLM\SOFTWARE\Saitek\DirectOutput' /v DirectOutputX86 /t REG_SZ \
    /d "$(winepath -w "$bin/virtualmfd.dll")" /f >/dev/null 2>&1
timeout -k 5 120 wine "$bin/flightmfd.exe" </dev/null >out.txt 2>err.txt &
program=$!
pids+=("$program")
# The wide length of each text, then the text as the record writes it (UTF-8).
wanted=(
    'SetString 0x1 0 0 4 " 战斗机"'
    'SetString 0x1 0 1 11 "高度 1000.0 m"'
    'SetString 0x1 0 2 11 "速度 250.0 公里"'
)
wait_for_lines 90 "$program" record.txt "${wanted[@]}" || true
end_program "$program"

failed=false
for line in "${wanted[@]}"; do
    grep -Fqx "$line" record.txt 2>/dev/null || fail "the record lacks: $line"
done
$failed && show record.txt out.txt err.txt
finish "a GBK name and UTF-8 prefixes reach the display as written ($wine_arch)"
