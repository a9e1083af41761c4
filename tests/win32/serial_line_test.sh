#!/bin/sh
# The Windows serial backend end to end: corvane-sim, built for this machine, serves a KRT-310 on
# a pseudo-terminal; Wine maps COM5 to it. The Windows test program checks the port itself, then
# corvane-cli.exe connects, reads the settings (Get Status) and writes changed ones (Set Status)
# through the real Windows serial calls, and the simulated printer's state must show them. A
# second, slow KRT-310 on COM6 keeps corvane.exe and corvane-cli.exe in an exchange while the
# test program tells them that the session ends; a third on COM7 falls silent in the middle of
# corvane.exe's session, for its window's answers while it waits.
#   serial_line_test.sh WINE_RUN TEST_PROGRAM.exe CORVANE_CLI.exe CORVANE_SIM WORK_DIR CORVANE.exe
set -eu
wine_run=$(realpath "$1")
test_program=$(realpath "$2")
cli=$(realpath "$3")
simulator=$(realpath -m "$4")
work=$(realpath -m "$5")
corvane=$(realpath "$6")

if [ ! -x "$simulator" ]; then
    echo "corvane-sim for this machine is not at $simulator: build the Linux tree first" \
         "(cmake -S . -B build && cmake --build build) or give -DCORVANE_HOST_SIM=PATH" >&2
    exit 1
fi
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"

rm -rf "$work"
mkdir -p "$work"
simulator_pids=""
# A stopped printer takes the end only once it goes on.
trap 'for pid in $simulator_pids; do kill "$pid" 2>/dev/null || true; kill -CONT "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done; rm -f "$WINEPREFIX"/dosdevices/com[567]' EXIT

# Serves a KRT-310 with corvane-sim's further options on COMn: start_printer n [OPTION...]
start_printer() {
    number=$1
    shift
    terminal="$work/printer$number-tty"
    "$simulator" --model KRT-310 --state-file "$work/state$number.txt" --link "$terminal" \
        --quiet "$@" >"$work/simulator$number.out" 2>&1 &
    pid=$!
    simulator_pids="$simulator_pids $pid"
    tries=0
    while [ ! -e "$terminal" ] || [ ! -s "$work/state$number.txt" ]; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
            echo "corvane-sim did not come up:" >&2
            cat "$work/simulator$number.out" >&2
            exit 1
        fi
        sleep 0.1
    done
    # Wine opens the ports of its device folder as they are linked.
    ln -sfn "$terminal" "$WINEPREFIX/dosdevices/com$number"
}

"$wine_run" --prepare
start_printer 5
start_printer 6 --latency-ms 1500
# COM7's printer falls silent, still holding the line, once the live window's test asks for it.
start_printer 7
silence="$work/silence7"
(
    while [ ! -e "$silence" ]; do sleep 0.05; done
    kill -STOP "$pid"
    : >"$silence.done"
) &
simulator_pids="$simulator_pids $!"
windows_path() {
    printf 'Z:%s' "$1" | tr / '\\'
}

CORVANE_TEST_COM=COM5 CORVANE_TEST_SLOW_COM=COM6 CORVANE_TEST_SILENCEABLE_COM=COM7 \
    CORVANE_TEST_SILENCE=$(windows_path "$silence") CORVANE_TEST_CLI=$(windows_path "$cli") \
    CORVANE_TEST_CORVANE=$(windows_path "$corvane")
export CORVANE_TEST_COM CORVANE_TEST_SLOW_COM CORVANE_TEST_SILENCEABLE_COM CORVANE_TEST_SILENCE \
    CORVANE_TEST_CLI CORVANE_TEST_CORVANE
"$wine_run" "$test_program" --gtest_brief=1 --gtest_filter=-ConsoleEnd.*
# Wine passes Ctrl+C on only to programs whose console is a terminal.
command -v script >/dev/null ||
    { echo "script (util-linux) is needed for the console test" >&2; exit 1; }
script -qec "'$wine_run' '$test_program' --gtest_brief=1 --gtest_filter=ConsoleEnd.*" \
    "$work/console.log" >/dev/null </dev/null || { cat "$work/console.log" >&2; exit 1; }

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
state_line() {
    sed -n "s/^$1: //p" "$work/state5.txt"
}
# Relative paths, since Wine starts the program in the same folder seen through drive Z.
cd "$work"
"$wine_run" "$cli" identify --port COM5 --json >identify.json 2>identify.err ||
    fail "identify: $(cat identify.json identify.err)"
grep -q '"model": "KRT-310"' identify.json || fail "identify names no KRT-310: $(cat identify.json)"
"$wine_run" "$cli" get --port COM5 -o before.json 2>get.err || fail "get: $(cat get.err)"
grep -q "Success to get status of printer." get.err || fail "get: $(cat get.err)"

# The code page CASIO is pins 3 and 4 of memory switch 2; a 40-byte buffer is pin 6 of switch 8.
python3 - <<'EDIT'
import json
settings = json.load(open("before.json"))
settings.pop("printer", None)
settings["defaultCodePage"] = "Code Page CASIO"
settings["switch2"]["Buffer Size"] = "40Bytes"
json.dump(settings, open("new.json", "w"), indent=2)
EDIT
"$wine_run" "$cli" set new.json --port COM5 --backup-dir . >set.out 2>set.err ||
    fail "set: $(cat set.out set.err)"
grep -q "Written and read back the same." set.out || fail "set: $(cat set.out set.err)"
[ "$(state_line 'memory switch 2')" = 00001100 ] || fail "memory switch 2: $(cat state5.txt)"
[ "$(state_line 'memory switch 8' | cut -c3)" = 1 ] || fail "memory switch 8: $(cat state5.txt)"
ls backup-*.json >/dev/null || fail "set kept no backup"
echo "corvane-cli.exe on COM5: identify, get and set reached the printer"
