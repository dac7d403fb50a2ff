#!/usr/bin/env bash
# Configures, builds and runs every preset's tests: the portable core natively and under the
# sanitizers, and both Windows builds under Wine inside a private Xvfb and wineserver.
# Usage: scripts/test.sh [preset...]   (default: native sanitize win64 win32)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || { echo "setup failed"; exit 1; }
# shellcheck source=wine-session.sh
source scripts/wine-session.sh
trap stop_session EXIT

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native sanitize win64 win32)
total_passed=0
total_failed=0
failures=()

run_preset() {
    local preset=$1 log="build/$1-ctest.log"
    if ! cmake --preset "$preset" >"build/$preset-configure.log" 2>&1; then
        cat "build/$preset-configure.log"; failures+=("$preset: configure"); return
    fi
    local built=0
    cmake --build --preset "$preset" >"build/$preset-build.log" 2>&1 || built=$?
    grep -E 'warning|error' "build/$preset-build.log"
    if [ "$built" != 0 ]; then
        failures+=("$preset: build"); total_failed=$((total_failed + 1)); return
    fi
    if grep -q 'warning' "build/$preset-build.log"; then failures+=("$preset: compiler warnings"); fi
    case $preset in
    win32 | win64)
        if [ "$preset" = win32 ] && ! wine_runs_32bit; then
            echo "$preset: built and checked; its tests not run: this machine's kernel cannot execute the 32-bit Wine loader"
            return
        fi
        [ -n "$session_wineserver_pid" ] || start_session ;;
    esac
    ctest --preset "$preset" 2>&1 | tee "$log" | grep -vE '^ *Start|^Test project|^$'
    local passed failed
    passed=$(grep -cE 'Test +#[0-9]+: .* Passed' "$log")
    failed=$(grep -cE 'Test +#[0-9]+: .* (\*\*\*|Failed|Timeout|Not Run|Exception)' "$log")
    echo "$preset: $passed passed, $failed failed"
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    [ "$failed" = 0 ] || failures+=("$preset: $failed failed")
}

mkdir -p build
for preset in "${presets[@]}"; do run_preset "$preset"; done
for f in "${failures[@]}"; do echo "FAILED $f"; done
echo "$total_passed passed, $total_failed failed"
[ ${#failures[@]} = 0 ]
