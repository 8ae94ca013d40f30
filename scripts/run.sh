#!/usr/bin/env bash
# Installs what is missing (a compiler, CMake, Ninja and expat), builds the
# run preset (no tests), and runs the whole system: the simulator stand-in,
# the program, and the virtual display it writes to. Ctrl-C ends it all.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
cmake --preset run >/dev/null
cmake --build --preset run

# A folder of its own: the configuration (kept across runs, so edits to it
# stay) and the debugger output. FLIGHTMFD_DISPLAY_LIBRARY names the virtual
# display.
work="$top/build/run"
mkdir -p "$work"
[ -f "$work/config.xml" ] || cp examples/config.xml "$work/config.xml"

pids=()
cleanup() {
    trap - EXIT INT TERM
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

# The program starts once the stand-in says that it answers, so that its
# first lines tell of no silence. The stand-in's lines still reach the
# terminal.
rm -f "$work/sim.out"
build/bin/flightmfd-sim > >(tee "$work/sim.out") &
pids+=($!)
deadline=$((SECONDS + 10))
until grep -q '^flightmfd-sim answering on ' "$work/sim.out" 2>/dev/null; do
    if ! kill -0 "${pids[0]}" 2>/dev/null || ((SECONDS >= deadline)); then
        echo "run.sh: the simulator stand-in did not start (is port 20010 taken?)" >&2
        exit 1
    fi
    sleep 0.1
done

cd "$work"
FLIGHTMFD_DISPLAY_LIBRARY="$top/build/lib/libvirtualmfd.so" FLIGHTMFD_DEBUG_OUTPUT="$work/debug.txt" \
    "$top/build/bin/flightmfd" </dev/null &
pids+=($!)
echo "flightmfd runs in $work (debugger output: $work/debug.txt); Ctrl-C ends it."
wait "${pids[1]}"
