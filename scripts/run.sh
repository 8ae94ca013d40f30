#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole system: the simulator
# stand-in, the program, and the virtual display it writes to. Ctrl-C ends it all.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target flightmfd flightmfd-sim virtualmfd

# A folder of its own: the registry stand-in entry that names the virtual
# display, the configuration (kept across runs, so edits to it stay), the
# debugger output.
work="$top/build/run"
key="$work/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Saitek/DirectOutput"
mkdir -p "$key"
echo "$top/build/lib/libvirtualmfd.so" >"$key/DirectOutputX86"
[ -f "$work/config.xml" ] || cp examples/config.xml "$work/config.xml"

pids=()
cleanup() {
    trap - EXIT INT TERM
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

build/bin/flightmfd-sim &
pids+=($!)

cd "$work"
FLIGHTMFD_REGISTRY="$work/registry" FLIGHTMFD_DEBUG_OUTPUT="$work/debug.txt" \
    "$top/build/bin/flightmfd" </dev/null &
pids+=($!)
echo "flightmfd runs in $work (debugger output: $work/debug.txt); Ctrl-C ends it."
wait "${pids[1]}"
