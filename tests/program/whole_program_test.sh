#!/usr/bin/env bash
# Whole-program test: Tandemix.exe beside the simulated adapter's Tandemix.dll, driven under Wine
# with real X input as a person would use it. Every step waits for the window it needs.
# Usage: whole_program_test.sh Tandemix.exe sim/Tandemix.dll output-folder
set -u
exe=$1 dll=$2 out=$3
title='Tandemix Configuration Utility'
client_w=625 client_h=220 # the main window's client size; X adds the frame
here=$(cd "$(dirname "$0")" && pwd)
wine_pid="" own_session=0
cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
    [ "$own_session" = 1 ] && stop_session
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
    source "$here/../../scripts/wine-session.sh"
    start_session
    own_session=1
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
windows_path() { echo "Z:${1//\//\\}"; }
visible_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }

# Waits up to 20 s for a visible window titled $1 that is not among ids $2...; prints its id.
await_window() {
    local name=$1 w
    shift
    for _ in $(seq 200); do
        for w in $(visible_windows "$name"); do
            case " $* " in *" $w "*) ;; *) echo "$w"; return 0 ;; esac
        done
        sleep 0.1
    done
    return 1
}
await_gone() {
    for _ in $(seq 200); do
        visible_windows "$1" | grep -qx "$2" || return 0
        sleep 0.1
    done
    fail "window \"$1\" stayed open"
}
keys() {
    timeout 5 xdotool windowfocus --sync "$1" || fail "could not focus window $1"
    timeout 5 xdotool key --delay 30 "${@:2}"
}
# Answers box $2 titled $1 with keys and waits for it to close.
answer() {
    keys "$2" "${@:3}"
    await_gone "$1" "$2"
}
click_client() {
    timeout 5 xdotool windowfocus --sync "$main" || fail "could not focus the main window"
    timeout 5 xdotool mousemove --window "$main" $((frame_x + $1)) $((frame_y + $2)) click 1
}
shot() { timeout 10 /usr/bin/import -window "$1" "$out/$2" || echo "-- screenshot $2 failed"; }
# Enters path $2 into the file dialog titled $1.
answer_file_dialog() {
    local dialog
    dialog=$(await_window "$1") || fail "no $1 dialog"
    keys "$dialog" End shift+Home
    timeout 10 xdotool type --delay 20 "$(windows_path "$2")"
    answer "$1" "$dialog" Return
}
await_exit() {
    for _ in $(seq 100); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$wine_pid" 2>/dev/null && fail "the program did not end"
    wait "$wine_pid"
    local code=$?
    wine_pid=""
    [ "$code" = 0 ] || fail "the program exited with code $code"
}
# Starts the program in a fresh folder $1 beside a simulated adapter holding zeros.
start_program() {
    rm -rf "$1"
    mkdir -p "$1"
    cp "$exe" "$1/Tandemix.exe"
    cp "$dll" "$1/Tandemix.dll"
    local zeros
    zeros=$(printf ' 00%.0s' $(seq 32))
    printf '# Tandemix adapter simulator\ncommitted%s\nregisters%s\nmarker 00\ncommits 0\n' \
        "$zeros" "$zeros" >"$1/TandemixSim.txt"
    export TANDEMIX_SIM_STATE TANDEMIX_SIM_LOG
    TANDEMIX_SIM_STATE=$(windows_path "$1/TandemixSim.txt")
    TANDEMIX_SIM_LOG=$(windows_path "$1/calls.log")
    (cd "$1" && exec wine Tandemix.exe </dev/null >"$1/wine.out" 2>&1) &
    wine_pid=$!
}
commits() { tr -d '\r' <"$1/TandemixSim.txt" | awk '$1 == "commits" { print $2 }'; }

# Scenario 1: Key Number and X 1280 to the adapter; New; read back; save, open and save a file.
run=$out/present
unset TANDEMIX_SIM_ABSENT
start_program "$run"
main=$(await_window "$title") || fail "the main window never appeared"
geometry="" # the frame settles once X has mapped the window
for _ in $(seq 50); do
    last=$geometry
    geometry=$(xdotool getwindowgeometry --shell "$main")
    [ "$geometry" = "$last" ] && break
    sleep 0.1
done
eval "$geometry"
frame_x=$(((WIDTH - client_w) / 2))
frame_y=$((HEIGHT - client_h - frame_x))
[ "$frame_x" -ge 0 ] && [ "$frame_y" -gt 0 ] || fail "main window is ${WIDTH}x$HEIGHT"
click_client 197 36 # the Control Mode list: ASCII down to Key Number
keys "$main" Down Down Return
click_client 415 36 # the X box
keys "$main" End shift+Home
timeout 5 xdotool type --delay 40 1280
shot "$main" main-window.png
click_client 195 144 # Save To Tandemix
await_window "Writing Tandemix" >/dev/null || fail "no Writing Tandemix window"
box=$(await_window "$title" "$main") || fail "no result box after Save To Tandemix"
visible_windows "Writing Tandemix" | grep -q . && fail "progress window shown with the result box"
shot "$box" save-result.png
answer "$title" "$box" Return
keys "$main" ctrl+n
question=$(await_window "$title" "$main") || fail "New did not ask about the unsaved changes"
answer "$title" "$question" n
click_client 454 144 # Read From Tandemix
box=$(await_window "$title" "$main") || fail "no result box after Read From Tandemix"
answer "$title" "$box" Return
shot "$main" after-read.png
keys "$main" alt+f s
answer_file_dialog "Save File" "$run/saved.tnx"
keys "$main" ctrl+n alt+f o
answer_file_dialog "Open File" "$run/saved.tnx"
keys "$main" ctrl+s
answer_file_dialog "Save File" "$run/reopened.tnx"
keys "$main" alt+f x
await_exit

committed=$(awk '/^committed/ { print $18, $26, $27 }' "$run/TandemixSim.txt")
[ "$committed" = "02 04 FF" ] || fail "committed bytes 16,24,25 are '$committed', not '02 04 FF'"
[ "$(commits "$run")" = 1 ] || fail "the adapter was not committed exactly once"
byte() { od -An -tx1 -j"$1" -N1 "$run/saved.tnx" | tr -d ' \n'; }
[ "$(stat -c %s "$run/saved.tnx")" = 512 ] || fail "the saved file is not 512 bytes"
saved="$(byte 16) $(byte 24) $(byte 25) $(byte 505)"
[ "$saved" = "02 04 ff 4c" ] || fail "saved bytes 16,24,25,505 are '$saved', not '02 04 ff 4c'"
cmp -s "$run/saved.tnx" "$run/reopened.tnx" || fail "the file saved after Open differs"
echo "-- scenario 1 passed: committed $committed, file $saved, opened and saved again"

# Scenario 2: no adapter: only the not-found box, then the program ends.
export TANDEMIX_SIM_ABSENT=1
start_program "$out/absent"
box=$(await_window "$title") || fail "no not-found box without an adapter"
[ "$(visible_windows "$title" | wc -l)" = 1 ] || fail "more than the not-found box is visible"
shot "$box" not-found.png
keys "$box" Return
await_exit
[ "$(commits "$out/absent")" = 0 ] || fail "the absent adapter's state changed"
echo "PASS: whole-program test; screenshots in $out"
