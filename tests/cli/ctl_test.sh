#!/usr/bin/env bash
# tandemixctl as a script uses it, against the simulated adapter: every command and exit status,
# the commit frame and the verify in the simulator's log, failures at a register, a silent
# adapter, bad files and bad arguments.
# Usage: ctl_test.sh tandemixctl_sim                  (Linux: over the simulator's hidapi)
#        ctl_test.sh tandemixctl.exe sim/Tandemix.dll (Windows, under Wine, beside the simulator)
set -u
program=$(realpath "$1")
simulator=$([ $# = 2 ] && realpath "$2")
session_script=$(realpath "$(dirname "$0")/../../scripts/wine-session.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
linux=""
if [ $# = 2 ]; then
    source "$session_script"
    cp "$program" "$simulator" .
    ctl=(wine ./tandemixctl.exe)
else
    ctl=("$program")
    linux=1
    export XDG_RUNTIME_DIR=$work # the transfer lock of this run's own
fi
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run STATUS ERROR ARGS...: runs tandemixctl (the environment first, as `env`), checks its exit
# status and its stderr: empty for "", else one line "tandemixctl: ERROR" (a glob). Keeps
# stdout in $out.
run() {
    local status=$1 error=$2 got
    shift 2
    env "$@" >out.txt 2>err.txt
    got=$?
    out=$(tr -d '\r' <out.txt)
    local err
    err=$(tr -d '\r' <err.txt)
    [ "$got" = "$status" ] || fail "${*}: status $got, not $status ($err)"
    if [ -z "$error" ]; then
        [ -z "$err" ] || fail "${*}: unexpected stderr: $err"
    elif [[ "$err" != "tandemixctl: "$error ]] || [ "$(wc -l <<<"$err")" != 1 ]; then
        fail "${*}: stderr is not one line 'tandemixctl: $error': $err"
    fi
}
ctl() { run "$1" "$2" "${ctl[@]}" "${@:3}"; }
with() { run "$1" "$2" "$3" "${ctl[@]}" "${@:4}"; } # one variable for the simulator
expect_out() { [ "$out" = "$1" ] || fail "output '$out', not '$1'"; }
hex() { od -An -tx1 -v -j "$2" -N "$3" "$1" | tr -d ' \n'; }
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
exchanges() { grep -c '^exchange' sim.log 2>/dev/null; }

# Bad arguments: status 2, a reason, and no file made.
ctl 2 "unknown control mode 'foo'*" make -m foo -x 1920 -y 1080 f.TNX
ctl 2 'screen width 640 is outside 641..15361*' make -m 2 -x 640 -y 1080 f.TNX
ctl 2 "option '-o' does not belong here*" show -o x.TNX f.TNX
[ ! -e f.TNX ] || fail "a refused make wrote f.TNX"
ctl 0 '' --version
[[ "$out" =~ ^tandemixctl\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version: $out"

# make and show, each mode by name in any case and by index.
names=("ASCII" "Ext ASCII" "Key Number")
modes=(ascii EXT-ASCII 2)
for i in 0 1 2; do
    ctl 0 '' make -m "${modes[$i]}" -x 1920 -y 1080 a.TNX
    [ "$(hex a.TNX 16 1)" = "0$i" ] || fail "make -m ${modes[$i]}: mode byte $(hex a.TNX 16 1)"
    ctl 0 '' show a.TNX
    expect_out "control mode: ${names[$i]}"$'\n'"screen size: 1920 x 1080"
done
ctl 0 '' show --json a.TNX
expect_out '{"control_mode": "key-number", "screen_width": 1920, "screen_height": 1080}'
[ "$(wc -c <a.TNX)" = 512 ] && [ "$(hex a.TNX 24 4)$(hex a.TNX 505 1)" = 077f04374c ] ||
    fail "a.TNX is not the utility's file"
cp a.TNX none.TNX
patch none.TNX 16 '\x05'
ctl 0 '' show none.TNX
expect_out $'control mode: none (0x05)\nscreen size: 1920 x 1080'

# Bad files: named with the reason; nothing reaches the adapter.
head -c 100 a.TNX >short.TNX
cp a.TNX wide.TNX
patch wide.TNX 24 '\x00\x45'
mkdir folder
export TANDEMIX_SIM_LOG=sim.log
for command in show write; do
    ctl 2 'short.TNX: 100 bytes; a configuration file has at least 512' $command short.TNX
    ctl 2 'nothere.TNX: cannot be opened: *' $command nothere.TNX
    ctl 2 'folder: cannot be *' $command folder
done
ctl 2 'wide.TNX: screen width 70 is outside 641..15361' write wide.TNX
unset TANDEMIX_SIM_LOG
[ ! -e sim.log ] || fail "a bad file reached the adapter"
# An output file that cannot be replaced, or whose folder is missing, is named with the reason.
ctl 2 'folder: cannot be replaced: it is a folder' make -m 0 -x 800 -y 600 folder
ctl 2 'no/x.TNX.tandemix-new: cannot be written: *' make -m 0 -x 800 -y 600 no/x.TNX
[ -d folder ] && [ -z "$(ls folder)" ] && [ -z "$(ls | grep -- -new)" ] || fail "a failed make left files"
# The file is replaced only by a temporary one written in full beside it; on Linux a device is
# left alone.
mkdir a.TNX.tandemix-new
ctl 2 'a.TNX.tandemix-new: cannot be written: *' make -m 0 -x 800 -y 600 a.TNX
rmdir a.TNX.tandemix-new
[ "$(hex a.TNX 16 1)" = 02 ] || fail "a failed make changed a.TNX"
[ -z "$linux" ] || ctl 2 '/dev/full: cannot be replaced: it is not a regular file' make -m 0 -x 800 -y 600 /dev/full

# The adapter: probe, the commit frame, verify, read and read -o.
ctl 0 '' probe
expect_out "Tandemix adapter connected"
with 1 'no Tandemix adapter found*' TANDEMIX_SIM_ABSENT=1 probe
# Another of our programs in a transfer (Windows): the adapter is there, but not to be written.
[ -n "$linux" ] || with 0 '' TANDEMIX_SIM_BUSY=1 probe
[ -n "$linux" ] || with 1 'the Tandemix adapter is in use by another Tandemix program*' \
    TANDEMIX_SIM_BUSY=1 write a.TNX
with 0 '' TANDEMIX_SIM_LOG=sim.log write a.TNX
expect_out "configuration written and verified"
frame=$(grep '^exchange' sim.log | sed -n '1p;34p;35p;66p' | cut -c10-26 | tr '\n' ,)
[ "$frame" = "02 81 01 FF 00 00,02 81 01 FF 48 00,02 82 00 00 00 00,02 82 00 1F 00 00," ] ||
    fail "write frame and verify: $frame"
[ "$(exchanges)" = 66 ] || fail "write with verify made $(exchanges) exchanges"
committed=$(sed -n 's/^committed //p' TandemixSim.txt | tr -d ' \r' | tr A-F a-f)
[ "$committed" = "$(hex a.TNX 0 32)" ] || fail "committed $committed"
rm sim.log
with 0 '' TANDEMIX_SIM_LOG=sim.log write --no-verify -q a.TNX
expect_out "configuration written"
[ "$(exchanges)" = 34 ] || fail "write --no-verify made $(exchanges) exchanges"
ctl 0 '' read -o b.TNX
expect_out $'control mode: Key Number\nscreen size: 1920 x 1080'
cmp -s a.TNX b.TNX || fail "read -o did not save what was written"

# Failures name the register (the app tests' fault matrix runs every fault at every register
# through the same commands, and every write's order of registers); verify names the register
# that differs.
rm sim.log
with 3 'register 3: the exchange failed while writing*commit marker' TANDEMIX_SIM_FAIL_AT=5 \
    write a.TNX
with 3 'register 5: the exchange failed while verifying*' TANDEMIX_SIM_SILENT_AT=40 write a.TNX
# Sizes that the utility would replace by the screen's are shown but not saved.
sed -i "s/^registers.*/registers$(printf ' 00%.0s' {1..24}) 00 45 04 37$(printf ' 00%.0s' {1..4})/" \
    TandemixSim.txt
ctl 2 "the adapter's settings: screen width 70 is outside 641..15361" read -o w.TNX
expect_out $'control mode: ASCII\nscreen size: 70 x 1080'
[ ! -e w.TNX ] || fail "read -o saved sizes the utility would not keep"
ctl 0 '' make -m key-number -x 1920 -y 1080 c.TNX
with 4 'verify: register 16 holds 0x00 where 0x02 was written (1 of 32 registers differ)' \
    TANDEMIX_SIM_STUCK=0x10000 write c.TNX

# On a terminal a line counts the registers; -q leaves it out.
on_terminal() { script -qec "$*" /dev/null | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g'; }
on_terminal "${ctl[*]} write a.TNX" >tty.txt
grep -q 'writing register 32 of 32' tty.txt && grep -q 'verifying register 32 of 32' tty.txt ||
    fail "no progress line on a terminal: $(cat tty.txt)"

# A name outside the ANSI code page reaches its file, never the one that the code page's
# look-alike letters name, and comes out as typed on a terminal and in UTF-8 in a pipe.
[ -n "$linux" ] || export LC_ALL=C.UTF-8 # Wine takes the arguments in the locale's encoding
ctl 0 '' make -m 0 -x 800 -y 600 aLC.TNX
cp aLC.TNX aLC2.TNX
ctl 0 '' make -m 2 -x 1920 -y 1080 αŁＣ.TNX
ctl 0 '' show αŁＣ.TNX
expect_out $'control mode: Key Number\nscreen size: 1920 x 1080'
ctl 0 '' write -q αŁＣ.TNX
ctl 0 '' read -o αŁＣ2.TNX
cmp -s αŁＣ.TNX αŁＣ2.TNX && cmp -s aLC.TNX aLC2.TNX || fail "a look-alike name reached aLC"
ctl 2 'nothere-αŁＣ.TNX: cannot be opened: *' show nothere-αŁＣ.TNX
on_terminal "${ctl[*]} show nothere-αŁＣ.TNX" | grep -q '^tandemixctl: nothere-αŁＣ.TNX: ' ||
    fail "the name did not show as typed on a terminal"

# Ctrl+C during a transfer ends the command once the transfer is done, with status 130, and
# read -o then leaves its file unwritten.
for command in "read -o x.TNX" "write a.TNX"; do
    rm -f sim.log
    env TANDEMIX_SIM_LATENCY_MS=150 TANDEMIX_SIM_LOG=sim.log "${ctl[@]}" $command >out.txt 2>err.txt &
    runner=$!
    # The Windows process takes the signal as Ctrl+C; a 64-bit one runs beside Wine's start.exe.
    target=$runner
    for _ in $(seq 100); do
        [ -n "$linux" ] || target=$(for p in $(pgrep -f '^(Z:.*\\|\./)tandemixctl\.exe'); do
            [ "$(readlink /proc/"$p"/cwd)" = "$work" ] && echo "$p"
        done)
        [ -n "$target" ] && break
        sleep 0.05
    done
    sleep 1.5 # well into the transfer, which takes about 5 s
    kill -INT "$target"
    wait $runner
    status=$?
    [ "$status" = 130 ] && [ "$(exchanges)" = "$([ "${command%% *}" = read ] && echo 32 || echo 34)" ] &&
        grep -q 'interrupted' err.txt && [ ! -e x.TNX ] && [ ! -e x.TNX.tandemix-new ] ||
        fail "Ctrl+C during $command: status $status, $(exchanges) exchanges, $(cat err.txt)"
done

# On Linux an adapter that the user may not open is told apart from none.
if [ -n "$linux" ]; then
    with 1 '/dev/hidraw2 is a Tandemix adapter, but this user may not open it; install 70-tandemix.rules*' \
        TANDEMIX_SIM_DENIED=1 probe
    with 1 '/dev/hidraw2 is a Tandemix adapter*' TANDEMIX_SIM_DENIED=1 read
    # A second run waits for the first's transfer, then says the adapter is busy.
    env TANDEMIX_SIM_LATENCY_MS=100 "${ctl[@]}" write -q a.TNX >first.txt 2>&1 &
    first=$!
    sleep 0.5
    ctl 1 'the Tandemix adapter is in use by another Tandemix program*' read
    wait $first || fail "the write beside the busy read: $(cat first.txt)"
fi
# watch: three adapters plugged in one after another, the second failing at register 2. Each is
# written and verified once, and the next is taken only once the last was pulled out.
await_line() {
    for _ in $(seq 150); do grep -q "$1" watch.txt && return 0; sleep 0.1; done
    fail "watch never printed '$1': $(cat watch.txt)"
}
rm -f sim.log plug
env TANDEMIX_SIM_PLUG=plug TANDEMIX_SIM_LOG=sim.log TANDEMIX_SIM_FAIL_AT=70 "${ctl[@]}" \
    watch a.TNX --count 3 >watch.txt 2>&1 &
watcher=$!
for unit in 1 2 3; do
    sleep 1 # the watch polls four times with no adapter
    touch plug
    await_line "^unit $unit:"
    rm plug
done
wait $watcher
status=$?
expected="unit 1: written and verified
unit 2: failed: register 2: the exchange failed while writing; the transfer stopped and the adapter was closed without the closing commit marker
unit 3: written and verified
3 units: 2 verified, 1 failed"
[ "$status" = 3 ] && [ "$(tr -d '\r' <watch.txt)" = "$expected" ] ||
    fail "watch: status $status, output $(cat watch.txt)"
[ "$(exchanges)" = 136 ] && [ "$(grep -c 'exchange 02 81 01 FF 00 00' sim.log)" = 3 ] ||
    fail "watch made $(exchanges) exchanges"
ctl 2 "--count needs a number of adapters, not '0'*" watch a.TNX --count 0
[ "$failures" = 0 ] && echo "all tandemixctl checks passed"
exit $((failures > 0))
