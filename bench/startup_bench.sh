#!/usr/bin/env bash
# Puts Tandemix.exe beside the simulated adapter's DLL and times its start-up against the two
# yardstick window programs.
# Usage: startup_bench.sh wine-run bench.exe Tandemix.exe sim.dll bare.exe controls.exe dir
set -eu
run=$1 bench=$2 exe=$3 dll=$4 bare=$5 controls=$6 dir=$7
mkdir -p "$dir"
cp "$exe" "$dll" "$bare" "$controls" "$dir/"
windows_path() { echo "Z:${1//\//\\}"; }
dir=$(cd "$dir" && pwd)
exec "$run" "$bench" "$(windows_path "$dir/$(basename "$exe")")" TandemixloadClass \
    "$(windows_path "$dir/$(basename "$bare")")" MinimalWindow \
    "$(windows_path "$dir/$(basename "$controls")")" ControlsWindow
