#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

work=build/run
mkdir -p "$work"
cp -n examples/config.xml "$work/config.xml" 2>/dev/null || true
cd "$work"
exec ../bin/flightmfd
