#!/usr/bin/env bash
# Builds the fuzz targets (clang, ASan + UBSan, in build-fuzz/) and runs each for a bounded
# time from its corpus. Usage:
#   tools/fuzz/run.sh [-t seconds] [-j parallel] [target...]   (default: 20 s each, all targets)
#   tools/fuzz/run.sh --seeds                                 rewrite the generated seeds
# Every run first replays the whole committed corpus (tests/fuzz/corpus/<target>/, crash
# regressions included), then mutates from it. New coverage goes to a scratch corpus in
# build-fuzz/corpus/, never into the repository. A finding (crash, leak, time-out, memory
# blow-up) fails the run and its input is copied into the committed corpus as
# "regression-<kind>-<sha1>", where it stays once the fault is fixed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$here"
build="${LUMORA_FUZZ_BUILD:-build-fuzz}"
seconds=20
parallel=1
seeds=0
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        -t) seconds="$2"; shift 2 ;;
        -j) parallel="$2"; shift 2 ;;
        --seeds) seeds=1; shift ;;
        -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
        *) targets+=("$1"); shift ;;
    esac
done
all=(fuzz_config fuzz_mjpg_frame fuzz_h264_frame fuzz_yuy2_frame fuzz_xu_replies fuzz_usb_descriptors
     fuzz_fw_image fuzz_sim_script fuzz_profile)
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

# The largest input each target is given: whole frames for the picture paths.
max_len() {
    case "$1" in
        fuzz_mjpg_frame|fuzz_h264_frame) echo 16384 ;;
        fuzz_yuy2_frame|fuzz_fw_image) echo 8192 ;;
        *) echo 4096 ;;
    esac
}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DLUMORA_FUZZ=ON -DLUMORA_BUILD_TESTS=OFF -DLUMORA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target lumora_fuzz fuzz_make_seeds
if [ "$seeds" = 1 ]; then
    "$build/bin/fuzz_make_seeds" tests/fuzz/corpus
    exit 0
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/tests/fuzz/lsan.supp}"

run_one() {  # run_one <target>: 0 when nothing was found
    local target="$1"
    local corpus="tests/fuzz/corpus/$target"
    local scratch="$build/corpus/$target"
    local findings="$build/findings/$target"
    local log="$build/logs/$target.log"
    mkdir -p "$corpus" "$scratch" "$findings" "$(dirname "$log")"
    rm -f "$findings"/*
    local status=0
    "$build/bin/$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=25 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$scratch" "$corpus" >"$log" 2>&1 || status=$?
    local runs time
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    local kept=0
    for finding in "$findings"/*; do
        [ -f "$finding" ] || continue
        case "$(basename "$finding")" in slow-unit-*) continue ;; esac
        local kind sha
        kind=$(basename "$finding" | cut -d- -f1)
        sha=$(sha1sum "$finding" | cut -c1-16)
        cp "$finding" "$corpus/regression-$kind-$sha"
        echo "$target: $kind kept as $corpus/regression-$kind-$sha"
        kept=1
    done
    if [ "$status" -ne 0 ] || [ "$kept" = 1 ]; then
        echo "$target: FOUND A FAULT (exit $status), log: $log"
        grep -a -m1 -E "ERROR: |runtime error|SUMMARY" "$log" || true
        return 1
    fi
    echo "$target: ${time:-$seconds} s, ${runs:-?} executions, nothing found"
}

failed=0
running=0
pids=()
names=()
for target in "${targets[@]}"; do
    run_one "$target" &
    pids+=($!)
    names+=("$target")
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
        names=("${names[@]:1}")
        running=$((running - 1))
    fi
done
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit "$failed"
