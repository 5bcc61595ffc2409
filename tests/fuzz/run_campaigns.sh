#!/bin/bash
# Runs a fuzzing campaign for each reader named (default: all), three at a time, each for SECONDS
# (default 300), restarting with a new seed after a crash until its time is used up. Findings go
# to OUT/<reader>/ (crash-*, slow-*, hang-*, memory-*), summaries to OUT/<reader>.log.
# usage: [FUZZ_SEED=n] tests/fuzz/run_campaigns.sh BUILD_DIR OUT [SECONDS] [reader ...]
set -u
build=$1; out=$2; seconds=${3:-300}
shift 2; [ $# -gt 0 ] && shift
readers=${*:-$("$build/tests/fuzz/fuzz_readers" list)}
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=0:max_allocation_size_mb=1024:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$out"
campaign() {
    name=$1; seed=${FUZZ_SEED:-1}; end=$(( $(date +%s) + seconds ))
    while [ "$(date +%s)" -lt "$end" ]; do
        left=$(( end - $(date +%s) ))
        "$build/tests/fuzz/fuzz_readers" "$name" "$left" "$seed" "$out" >>"$out/$name.log" 2>&1 \
            || echo "exit $? with seed $seed" >>"$out/$name.log"
        seed=$((seed + 1))
    done
}
running=0
for name in $readers; do
    campaign "$name" &
    running=$((running + 1))
    if [ "$running" -ge 3 ]; then wait -n 2>/dev/null || wait; running=$((running - 1)); fi
done
wait
