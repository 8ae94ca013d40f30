#!/usr/bin/env bash
# The hardening part of scripts/check.sh: every test under AddressSanitizer
# and UndefinedBehaviorSanitizer, every test under ThreadSanitizer, a short
# run of each fuzz target, the benchmarks and the measuring tool run briefly
# (to prove that they run; times are never judged here), and a short soak.
# docs/hardening.md gives the longer runs. Each step line tells when it
# starts.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/helpers.sh

fuzz_seconds=${FLIGHTMFD_FUZZ_SECONDS:-60}

step "Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --workflow --preset asan-ubsan --fresh

step "Tests under ThreadSanitizer"
cmake --workflow --preset tsan --fresh

step "Fuzzing, $fuzz_seconds s per target"
cmake --workflow --preset fuzz --fresh
scripts/fuzz.sh "$fuzz_seconds"

step "Benchmarks, briefly"
cmake --workflow --preset bench --fresh
build-bench/bin/flightmfd-bench --benchmark_min_time=0.01

step "Measuring tool, briefly"
build-bench/bin/flightmfd-measure performance --seconds 3 --flood-seconds 2

step "Soak, 30 s"
build-bench/bin/flightmfd-measure soak --soak-seconds 30 --restart-every 6 --replug-every 4

echo "hardening: every step passed in ${SECONDS} s"
