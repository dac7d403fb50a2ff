#!/usr/bin/env bash
# Configures, builds and runs every preset's tests: the portable core natively, under the
# sanitizers and its fuzz targets, and both Windows builds under Wine inside a private Xvfb and
# wineserver, and the web page in headless Chromium.
# Usage: scripts/test.sh [preset...]   (default: native sanitize fuzz win64 win32 web)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || { echo "setup failed"; exit 1; }
unset DISPLAY # the tests run in a private Xvfb even on a desktop
# shellcheck source=wine-session.sh
source scripts/wine-session.sh
trap stop_session EXIT

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native sanitize fuzz win64 win32 web)
total_passed=0
total_failed=0
total_not_run=0
failures=()
not_run=()

# CTest keeps every test's output in its log; the benchmarks' figures are shown from there.
print_benchmark_figures() {
    [ -f "$1" ] || return 0
    awk '/^[0-9]+\/[0-9]+ Test: /{name=$3}
         /^Output:/{if (name ~ /_bench$|^binary_check$|^fuzz_/) {getline; shown=1; print "-- " name; next}}
         /^<end of output>/{shown=0}
         shown' "$1"
}

# The page and the simulated adapter built to WebAssembly, and the native tandemixctl whose files
# the page's must equal; the browser test counts its own cases.
run_web() {
    local log=build/web-test.log
    if ! { bash scripts/web.sh build && cmake --preset native &&
        cmake --build --preset native --target tandemixctl; } >build/web-build.log 2>&1; then
        cat build/web-build.log; failures+=("web: build"); total_failed=$((total_failed + 1)); return
    fi
    node tests/web/web_test.mjs 2>&1 | tee "$log" | grep -vE '^ok '
    local summary passed failed
    summary=$(grep -E '^web: [0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
    if [ -z "$summary" ]; then
        failures+=("web: the browser test gave no summary"); total_failed=$((total_failed + 1)); return
    fi
    passed=$(sed -E 's/^web: ([0-9]+) passed.*/\1/' <<<"$summary")
    failed=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$summary")
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    [ "$failed" = 0 ] || failures+=("web: $failed failed")
}

run_preset() {
    local preset=$1 log="build/$1-ctest.log"
    if [ "$preset" = web ]; then run_web; return; fi
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
    local only=()
    case $preset in
    win32 | win64)
        if [ "$preset" = win32 ] && ! wine_runs_32bit; then
            only=(-L no-wine)
            local skipped
            skipped=$(ctest --preset "$preset" -N -LE no-wine | sed -n 's/^ *Test *#[0-9]*: //p')
            total_not_run=$((total_not_run + $(wc -w <<<"$skipped")))
            not_run+=("$preset (this machine's kernel cannot execute 32-bit programs, so Wine cannot start the i686 build; only its checks that need no Wine ran): $(echo $skipped)")
        fi
        [ -n "$session_started" ] || start_session ;;
    esac
    ctest --preset "$preset" "${only[@]}" 2>&1 | tee "$log" | grep -vE '^ *Start|^Test project|^$'
    # CTest's summary: "NN% tests passed, F tests failed out of T"; none means it did not finish.
    local summary passed failed
    summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$summary" ]; then
        failures+=("$preset: ctest gave no summary"); total_failed=$((total_failed + 1)); return
    fi
    failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$(( $(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary") - failed ))
    print_benchmark_figures "build/$preset/Testing/Temporary/LastTest.log"
    echo "$preset: $passed passed, $failed failed"
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    [ "$failed" = 0 ] || failures+=("$preset: $failed failed")
}

mkdir -p build
for preset in "${presets[@]}"; do run_preset "$preset"; done
for f in "${failures[@]}"; do echo "FAILED $f"; done
for n in "${not_run[@]}"; do echo "NOT RUN $n"; done
if [ "$total_not_run" = 0 ]; then
    echo "$total_passed passed, $total_failed failed"
else
    echo "$total_passed passed, $total_failed failed, $total_not_run skipped"
fi
[ ${#failures[@]} = 0 ]
