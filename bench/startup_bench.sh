#!/usr/bin/env bash
# Puts Tandemix.exe beside the simulated adapter's DLL and times its start-up against the
# minimal window program. Usage: startup_bench.sh wine-run bench.exe Tandemix.exe sim.dll minimal.exe dir
set -eu
run=$1 bench=$2 exe=$3 dll=$4 minimal=$5 dir=$6
mkdir -p "$dir"
cp "$exe" "$dll" "$minimal" "$dir/"
windows_path() { echo "Z:${1//\//\\}"; }
dir=$(cd "$dir" && pwd)
exec "$run" "$bench" "$(windows_path "$dir/$(basename "$exe")")" TandemixloadClass \
    "$(windows_path "$dir/$(basename "$minimal")")" MinimalWindow
