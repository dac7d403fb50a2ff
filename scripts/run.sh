#!/usr/bin/env bash
# Builds the utility and starts it under Wine beside the simulated adapter's Tandemix.dll.
# On the user's display the window is a normal one; without a DISPLAY it starts a private Xvfb
# and saves a screenshot. Either way it runs until the window is closed or Ctrl+C.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
# shellcheck source=wine-session.sh
source scripts/wine-session.sh
preset=win32
wine_runs_32bit || preset=win64 # the kernel here cannot run the 32-bit Wine loader
mkdir -p build
build_log="build/run-$preset-build.log"
if ! { cmake --preset "$preset" &&
    cmake --build --preset "$preset" --target tandemix_app tandemix_sim_dll; } >"$build_log" 2>&1; then
    cat "$build_log"
    echo "The $preset build failed (its log: $root/$build_log)." >&2
    exit 1
fi
run_dir="build/run-$preset"
mkdir -p "$run_dir"
cp "build/$preset/app/Tandemix.exe" "build/$preset/sim-dll/Tandemix.dll" "$run_dir/"
own_display=0
[ -n "${DISPLAY:-}" ] || own_display=1
trap stop_session EXIT
start_session
echo "Tandemix.exe ($preset) against the simulated adapter; its state: $root/$run_dir/TandemixSim.txt"
(cd "$run_dir" && exec wine Tandemix.exe) &
app_pid=$!
# Ctrl+C is the way to stop it: the program, Xvfb and our wineserver go, and the status is 0.
trap 'kill "$app_pid" 2>/dev/null || true; exit 0' INT
if [ "$own_display" = 1 ]; then
    xdotool search --sync --name "Tandemix Configuration Utility" >/dev/null 2>&1 || true
    sleep 0.5
    import -window root "$run_dir/screen.png"
    echo "Screenshot: $root/$run_dir/screen.png (display $DISPLAY). Ctrl+C to stop."
fi
wait "$app_pid"
