#!/usr/bin/env bash
# Whole-program test: Tandemix.exe beside the simulated adapter's Tandemix.dll, driven under Wine
# with real X input as a person would use it.
# Usage: whole_program_test.sh Tandemix.exe sim/Tandemix.dll output-folder
set -u

exe=$1 dll=$2 out=$3
title='Tandemix Configuration Utility'
# The main window's client size; the frame is what the outer X window adds to it.
client_w=625 client_h=220

here=$(cd "$(dirname "$0")" && pwd)
wine_pid="" watchdog_pid="" own_session=0

cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
    [ -n "$watchdog_pid" ] && kill "$watchdog_pid" 2>/dev/null
    [ "$own_session" = 1 ] && stop_session
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# The whole script must end well inside CTest's limit even if Wine wedges.
( sleep 85 </dev/null >/dev/null 2>&1; echo "FAIL: whole-program test took longer than 85 s" >&2; kill -TERM $$ ) &
watchdog_pid=$!
trap 'exit 1' TERM

for tool in wine xdotool /usr/bin/import od; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[ -f "$exe" ] || fail "no program at $exe"
[ -f "$dll" ] || fail "no simulator DLL at $dll"

if [ -z "${DISPLAY:-}" ]; then
    source "$here/../../scripts/wine-session.sh"
    start_session
    own_session=1
fi

mkdir -p "$out"
out=$(cd "$out" && pwd)
windows_path() { echo "Z:${1//\//\\}"; }

# Visible windows titled $1, one id a line.
visible_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }

# Waits up to $2 seconds for a visible window titled $1 that is not among ids $3...
await_window() {
    local name=$1 seconds=$2 ids w
    shift 2
    for _ in $(seq $((seconds * 10))); do
        for w in $(visible_windows "$name"); do
            case " $* " in *" $w "*) ;; *) echo "$w"; return 0 ;; esac
        done
        sleep 0.1
    done
    return 1
}

# Focuses window $1 and sends it keys.
keys() {
    local w=$1
    shift
    timeout 5 xdotool windowfocus --sync "$w" || fail "could not focus window $w"
    timeout 5 xdotool key --delay 30 "$@"
}

# Clicks at client point ($2,$3) of the main window $1.
click_client() {
    timeout 5 xdotool windowfocus --sync "$1" || fail "could not focus window $1"
    timeout 5 xdotool mousemove --window "$1" $((frame_x + $2)) $((frame_y + $3)) click 1
}

shot() { timeout 10 /usr/bin/import -window "$1" "$out/$2" || note "screenshot $2 failed"; }

# Waits up to 10 s for the program to end; prints its exit code.
await_exit() {
    for _ in $(seq 100); do
        kill -0 "$wine_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$wine_pid" 2>/dev/null && return 1
    wait "$wine_pid"
    echo $?
}

# Starts the program in a fresh folder $1 with the simulator's variables already exported.
start_program() {
    local folder=$1
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$exe" "$folder/Tandemix.exe"
    cp "$dll" "$folder/Tandemix.dll"
    zeros=$(printf ' 00%.0s' $(seq 32))
    printf '# Tandemix adapter simulator\ncommitted%s\nregisters%s\nmarker 00\ncommits 0\n' \
        "$zeros" "$zeros" >"$folder/TandemixSim.txt"
    export TANDEMIX_SIM_STATE TANDEMIX_SIM_LOG
    TANDEMIX_SIM_STATE=$(windows_path "$folder/TandemixSim.txt")
    TANDEMIX_SIM_LOG=$(windows_path "$folder/calls.log")
    (cd "$folder" && exec wine Tandemix.exe </dev/null >"$folder/wine.out" 2>&1) &
    wine_pid=$!
}

# --- Scenario 1: set Key Number and X 1280, save to the adapter, New, read back, save a file.
run=$out/present
unset TANDEMIX_SIM_ABSENT
start_program "$run"
main=$(await_window "$title" 30) || fail "the main window never appeared"
note "main window $main"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
main_w=$WIDTH main_h=$HEIGHT
frame_x=$(((WIDTH - client_w) / 2))
frame_y=$((HEIGHT - client_h - frame_x))
[ "$frame_x" -ge 0 ] && [ "$frame_y" -gt 0 ] || fail "main window is ${WIDTH}x$HEIGHT, not a framed ${client_w}x$client_h"

# Control Mode list at (155,26) 84x21: open it, step from ASCII to Key Number.
click_client "$main" 197 36
sleep 0.3
keys "$main" Down Down Return
# X box at (390,26) 50x20: replace its text.
click_client "$main" 415 36
keys "$main" End shift+Home
timeout 5 xdotool type --delay 40 1280
sleep 0.3
shot "$main" main-window.png

# Save To Tandemix at (128,120) 134x48.
click_client "$main" 195 144
progress=$(await_window "Writing Tandemix" 10) || fail "no Writing Tandemix window"
timeout 10 /usr/bin/import -window root "$out/progress-window.png" || note "progress screenshot failed"
box=$(await_window "$title" 20 "$main") || fail "no result box after Save To Tandemix"
shot "$box" save-result.png
visible_windows "Writing Tandemix" | grep -q . && fail "progress window still shown with the result box"
keys "$box" Return
sleep 0.5

# New: the edit left unsaved changes, so it asks; answer No.
keys "$main" ctrl+n
question=$(await_window "$title" 10 "$main") || fail "New did not ask about the unsaved changes"
shot "$question" unsaved-question.png
keys "$question" n
sleep 0.5
shot "$main" after-new.png

# Read From Tandemix at (387,120) 134x48.
click_client "$main" 454 144
box=$(await_window "$title" 20 "$main") || fail "no result box after Read From Tandemix"
shot "$box" read-result.png
keys "$box" Return
sleep 0.5
shot "$main" after-read.png

# Enters path $2 into the file dialog titled $1 and waits for the dialog to close.
answer_file_dialog() {
    local dialog
    dialog=$(await_window "$1" 15) || return 1
    keys "$dialog" End shift+Home
    timeout 10 xdotool type --delay 20 "$(windows_path "$2")"
    keys "$dialog" Return
    for _ in $(seq 50); do visible_windows "$1" | grep -q . || break; sleep 0.1; done
    sleep 0.3
}

# File > Save to a file; New; File > Open brings it back; Ctrl+S writes what it shows.
keys "$main" alt+f
sleep 0.3
keys "$main" s
answer_file_dialog "Save File" "$run/saved.tnx" || fail "File > Save did not open the Save File dialog"
keys "$main" ctrl+n
sleep 0.3
keys "$main" alt+f
sleep 0.3
keys "$main" o
answer_file_dialog "Open File" "$run/saved.tnx" || fail "File > Open did not open the Open File dialog"
keys "$main" ctrl+s
answer_file_dialog "Save File" "$run/reopened.tnx" || fail "ctrl+s did not open the Save File dialog"

# File > Exit.
keys "$main" alt+f
sleep 0.3
keys "$main" x
code=$(await_exit) || fail "the program did not end after File > Exit"
wine_pid=""
[ "$code" = 0 ] || fail "the program exited with code $code"

byte() { od -An -tx1 -j"$2" -N1 "$1" | tr -d ' \n'; }
committed=$(awk '/^committed/ { print $18, $26, $27 }' "$run/TandemixSim.txt")
[ "$committed" = "02 04 FF" ] ||
    fail "adapter's committed image has bytes 16,24,25 = '$committed', expected '02 04 FF'"
# The simulator writes in text mode: CRLF line ends.
[ "$(tr -d '\r' <"$run/TandemixSim.txt" | awk '$1 == "commits" { print $2 }')" = 1 ] || fail "adapter was not committed exactly once"
[ -f "$run/saved.tnx" ] || fail "no saved file"
size=$(stat -c %s "$run/saved.tnx")
[ "$size" = 512 ] || fail "saved file is $size bytes, expected 512"
saved="$(byte "$run/saved.tnx" 16) $(byte "$run/saved.tnx" 24) $(byte "$run/saved.tnx" 25) $(byte "$run/saved.tnx" 505)"
[ "$saved" = "02 04 ff 4c" ] ||
    fail "saved file has bytes 16,24,25,505 = '$saved', expected '02 04 ff 4c'"
cmp -s "$run/saved.tnx" "$run/reopened.tnx" || fail "the file saved after New and File > Open differs from the one opened"
note "scenario 1 passed: committed $committed, file $saved, opened and saved again"

# --- Scenario 2: no adapter: only the not-found box, then the program ends.
export TANDEMIX_SIM_ABSENT=1
start_program "$out/absent"
box=$(await_window "$title" 30) || fail "no not-found box without an adapter"
sleep 0.3
[ "$(visible_windows "$title" | wc -l)" = 1 ] || fail "more than the not-found box is visible"
eval "$(xdotool getwindowgeometry --shell "$box")"
[ "$WIDTH" != "$main_w" ] || [ "$HEIGHT" != "$main_h" ] || fail "the main window appeared without an adapter"
shot "$box" not-found.png
keys "$box" Return
for _ in $(seq 30); do
    kill -0 "$wine_pid" 2>/dev/null || break
    visible_windows "$title" | grep -q . && fail "a window appeared after the not-found box"
    sleep 0.1
done
code=$(await_exit) || fail "the program did not end after the not-found box"
wine_pid=""
[ "$code" = 0 ] || fail "the program exited with code $code without an adapter"
[ "$(tr -d '\r' <"$out/absent/TandemixSim.txt" | awk '$1 == "commits" { print $2 }')" = 0 ] || fail "absent adapter's state changed"
note "scenario 2 passed"
echo "PASS: whole-program test; screenshots in $out"
