#!/usr/bin/env bash
# tandemixctl write with verify against the simulator, at 0 and 2 ms per exchange, next to its
# floor: the 66 exchanges at that latency plus the start of the smallest console program.
# Medians of 11 runs. Usage: ctl_write_bench.sh tandemixctl minimal-console [sim/Tandemix.dll]
# (with the DLL, the Windows programs run under Wine beside it).
set -eu
session_script=$(realpath "$(dirname "$0")/../scripts/wine-session.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$2" ${3:+"$3"} "$work/"
cd "$work"
ctl=("./$(basename "$1")") minimal=("./$(basename "$2")")
if [ $# = 3 ]; then
    source "$session_script"
    ctl=(wine "${ctl[@]}") minimal=(wine "${minimal[@]}")
fi
"${ctl[@]}" make -m key-number -x 1920 -y 1080 bench.TNX
# Median wall time of 11 runs of the command, in microseconds.
median_us() {
    local times=()
    for _ in $(seq 11); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 6p
}
"${minimal[@]}"                 # warm the caches before timing
start_us=$(median_us "${minimal[@]}")
echo "tandemixctl write with verify (66 exchanges), medians of 11 runs:"
echo "  smallest console program starts in $((start_us / 1000)).$(((start_us % 1000) / 100)) ms"
for latency in 0 2; do
    export TANDEMIX_SIM_LATENCY_MS=$latency
    write_us=$(median_us "${ctl[@]}" write -q bench.TNX)
    floor_us=$((66 * latency * 1000 + start_us))
    awk -v w="$write_us" -v f="$floor_us" -v l="$latency" 'BEGIN {
        printf "  %d ms per exchange: %.1f ms, floor %.1f ms, ratio %.3f%s\n", l, w / 1000,
            f / 1000, w / f, l == 2 ? " (target 1.05)" : "" }'
done
