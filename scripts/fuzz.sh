#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60), both at once, from the
# `fuzz` preset's build (cmake --workflow --preset fuzz). Each starts from its
# checked-in corpus (fuzz/corpus/<target>) and from what earlier runs on this
# machine found (build-fuzz/corpus/<target>, where new inputs are kept). A
# fault leaves its input in build-fuzz/findings/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
targets=(parse_answer configuration)
declare -A max_len=([parse_answer]=1024 [configuration]=9999)

mkdir -p build-fuzz/findings
pids=()
for target in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$target"
    "build-fuzz/bin/${target}_fuzzer" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="${max_len[$target]}" -dict="fuzz/$target.dict" \
        -artifact_prefix="build-fuzz/findings/$target-" -print_final_stats=1 \
        "build-fuzz/corpus/$target" "fuzz/corpus/$target" \
        >"build-fuzz/$target.log" 2>&1 &
    pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    if wait "${pids[$i]}"; then
        runs=$(awk '/^stat::number_of_executed_units/ {print $2}' "build-fuzz/$target.log")
        echo "$target: $runs inputs in $seconds s, no fault"
    else
        failed=1
        echo "$target: FAULT (build-fuzz/$target.log):"
        grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "build-fuzz/$target.log" || tail -40 "build-fuzz/$target.log"
    fi
done
if ((failed)); then
    echo "Replay a finding with build-fuzz/bin/<target>_fuzzer <file>; keep it as"
    echo "fuzz/corpus/<target>/regression-<what> beside a unit test of the fault."
fi
exit $failed
