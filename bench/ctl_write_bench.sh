#!/usr/bin/env bash
# tandemixctl write with verify against the simulator, at 0 and 2 ms per exchange, next to its
# floor: the 66 exchanges at that latency plus the start of the smallest console program. At each
# latency the two programs run in turns, 21 times each, so that both meet the same load; the
# figures are the medians. Usage: ctl_write_bench.sh tandemixctl minimal-console [sim/Tandemix.dll]
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
# Wall time of one run of the command, in microseconds.
time_us() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}
runs=21
# The middle one of the runs' times.
median() { printf '%s\n' "$@" | sort -n | sed -n "$((runs / 2 + 1))p"; }
# One run each first, to warm the caches before timing.
"${minimal[@]}"
"${ctl[@]}" write -q bench.TNX >/dev/null
echo "tandemixctl write with verify (66 exchanges) in turns with the smallest console program,"
echo "medians of $runs runs each:"
for latency in 0 2; do
    export TANDEMIX_SIM_LATENCY_MS=$latency
    starts=() writes=()
    for _ in $(seq $runs); do
        starts+=("$(time_us "${minimal[@]}")")
        writes+=("$(time_us "${ctl[@]}" write -q bench.TNX)")
    done
    start_us=$(median "${starts[@]}") write_us=$(median "${writes[@]}")
    floor_us=$((66 * latency * 1000 + start_us))
    awk -v w="$write_us" -v s="$start_us" -v f="$floor_us" -v l="$latency" 'BEGIN {
        printf "  %d ms per exchange: %.1f ms, floor %.1f ms (console program %.1f ms),", l,
            w / 1000, f / 1000, s / 1000
        printf " ratio %.3f%s\n", w / f, l == 2 ? " (target 1.05)" : "" }'
done
