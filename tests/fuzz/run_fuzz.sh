#!/usr/bin/env bash
# Runs one fuzz target for TANDEMIX_FUZZ_SECONDS (default 20) from the seeds kept in the
# repository ($2) and a scratch corpus ($3), and prints its executions and findings. Any crash,
# leak or sanitizer report fails; the input that caused it is kept in $3/findings.
target=$1 seeds=$2 work=$3
rm -rf "$work" && mkdir -p "$work/corpus" "$work/findings"
# A unit that hangs fails; one the busy machine held up for some seconds (once 11 s, in the
# file system) is no finding.
"$target" -max_total_time="${TANDEMIX_FUZZ_SECONDS:-20}" -timeout=30 -report_slow_units=60 \
    -rss_limit_mb=1024 \
    -artifact_prefix="$work/findings/" "$work/corpus" "$seeds" >"$work/log" 2>&1
status=$? findings=$(ls "$work/findings" | wc -l)
echo "$(basename "$target"): $(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/log") executions," \
    "$findings findings (seeds $(ls "$seeds" | wc -l))"
[ "$status" = 0 ] && [ "$findings" = 0 ] || { tail -40 "$work/log"; exit 1; }
