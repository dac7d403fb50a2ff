#!/usr/bin/env bash
# Whole-program test: Tandemix.exe beside the simulated adapter's Tandemix.dll, driven under Wine
# with real X input as a person would use it. Every step waits for the window it needs. Copies
# of a planted DLL under system libraries' names sit beside the programs all the while: Windows
# and Wine look in the program's folder first, and none of them may be loaded.
# Usage: whole_program_test.sh Tandemix.exe sim/Tandemix.dll hidlib/Tandemix.dll output-folder
#        tandemixctl.exe planted.dll
set -u
title='Tandemix Configuration Utility'
run=$4/present wine_pid=""
trap '[ -n "$wine_pid" ] && kill $wine_pid 2>/dev/null; [ -n "${runner:-}" ] && kill -- -$runner 2>/dev/null
    [ -n "${own:-}" ] && stop_session' EXIT
# Ends the whole script, also from inside $(...).
fail() { echo "FAIL: $*" >&2; kill -TERM $$; exit 1; }
trap 'exit 1' TERM
source "$(dirname "$0")/../../scripts/wine-session.sh"
if [ -z "${DISPLAY:-}" ]; then
    start_session
    own=1
fi
windows_path() { echo "Z:${1//\//\\}"; }
visible() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
# Prints the id of a visible window titled $1 that is not window $2, once there is one (within
# $3 tenths of a second, 200 unless given).
await_window() {
    for _ in $(seq "${3:-200}"); do
        visible "$1" | grep -vx "${2:-none}" | head -1 | grep . && return 0
        sleep 0.1
    done
    fail "no window \"$1\""
}
keys() {
    timeout 5 xdotool windowfocus --sync "$1" || fail "could not focus window $1"
    timeout 5 xdotool key --delay 30 "${@:2}"
}
# Sends keys to the window titled $1 (other than the main window) and waits until it closes.
answer() {
    local w
    w=$(await_window "$1" "$main")
    keys "$w" "${@:2}"
    for _ in $(seq 200); do visible "$1" | grep -qx "$w" || return 0; sleep 0.1; done
    fail "window \"$1\" stayed open"
}
# Enters path $2 into the file dialog titled $1.
file_dialog() {
    keys "$(await_window "$1")" End shift+Home
    timeout 10 xdotool type --delay 20 "$(windows_path "$2")"
    answer "$1" Return
}
# A fresh adapter: the simulator keeps its state in TandemixSim.txt beside its DLL.
rm -rf "$run" && mkdir -p "$run" && cp "$1" "$run/Tandemix.exe" && cp "$2" "$run/Tandemix.dll"
cp "$5" "$run/tandemixctl.exe"
planted="hid.dll setupapi.dll comctl32.dll comdlg32.dll shell32.dll"
for name in $planted; do cp "$6" "$run/$name"; done
# The command line's probe, which opens and closes the adapter; its status tells what it found.
probe() {
    (cd "$run" && timeout 60 wine tandemixctl.exe probe </dev/null >>"$run/probe.out" 2>&1)
    local status=$?
    [ $status = "$1" ] || fail "tandemixctl probe ended with status $status, not $1"
}
start() { (cd "$run" && exec wine Tandemix.exe </dev/null >"$run/wine.out" 2>&1) & wine_pid=$!; }
await_exit() {
    for _ in $(seq 100); do kill -0 $wine_pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $wine_pid 2>/dev/null && fail "the program did not end"
    wait $wine_pid || fail "the program exited with code $?"
    wine_pid=""
}
start

# Key Number and X 1280 to the adapter, then the same into a file (which loads the dialogs).
main=$(await_window "$title")
# Tab from the window enters at the list, then Save, Read and the X box (its number selected).
keys "$main" Tab Down Down Tab Tab Tab BackSpace BackSpace BackSpace BackSpace 1 2 8 0
keys "$main" shift+Tab shift+Tab Return # back to Save To Tandemix
answer "$title" Return
timeout 10 /usr/bin/import -window "$main" "$run/saved-to-adapter.png"
keys "$main" alt+f s
file_dialog "Save File" "$run/saved.tnx"
keys "$main" alt+f x
await_exit
grep -q "^committed\( 00\)\{16\} 02\( 00\)\{7\} 04 FF 04 37" "$run/TandemixSim.txt" ||
    fail "the adapter did not commit Key Number, 1280 x 1080"
# 512 bytes: Key Number at 16, the sizes less one at 24, the file marker at 505.
[ "$(od -An -tx1 -v "$run/saved.tnx" | tr -d ' \n')" = "$(printf '%032d02%014d04ff0437%0954d4c%012d' 0 0 0 0)" ] ||
    fail "the saved file is not the 512 bytes of these settings"
probe 0

# With our own library and no adapter: only the not-found box, then the program ends.
cp "$3" "$run/Tandemix.dll"
start
main=none
answer "$title" Return
await_exit
probe 1
# The run command on a display of the user's own (this one, here) makes a managed window, not the
# tests' override-redirect one, and Ctrl+C ends it with status 0 (SIGINT to its process group,
# which a background job would ignore). It runs setup and its own preset's build, and may make
# its own Wine prefix first.
if [[ $1 == */$(wine_runs_32bit && echo win32 || echo win64)/* ]]; then
    env -u WINEPREFIX --default-signal=INT setsid bash "$(dirname "$0")/../../scripts/run.sh" >"$4/run.out" 2>&1 & runner=$!
    # The id comes first, as xwininfo without one waits for a click.
    window=$(await_window "$title" none 1200)
    xwininfo -id "$window" | grep -q "Override Redirect State: no" ||
        fail "the run command's window is not a managed one"
    kill -INT -- -$runner
    wait $runner || fail "Ctrl+C ended the run command with status $? (its output: $4/run.out)"
    runner=""
fi
for name in $planted; do
    [ -e "$run/$name.loaded" ] && fail "the planted $name beside the programs was loaded"
done
echo "PASS: whole-program test; screenshots in $run"
