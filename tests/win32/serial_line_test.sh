#!/bin/sh
# The Windows serial backend end to end: corvane-sim, built for this machine, serves a KRT-310 on
# a pseudo-terminal; Wine maps COM5 to it, and the Windows test program talks to the printer
# there through the real Windows serial calls.
#   serial_line_test.sh WINE_RUN TEST_PROGRAM.exe CORVANE_SIM WORK_DIR
set -eu
wine_run=$1
test_program=$2
simulator=$3
work=$4

if [ ! -x "$simulator" ]; then
    echo "corvane-sim for this machine is not at $simulator: build the Linux tree first" \
         "(cmake -S . -B build && cmake --build build) or give -DCORVANE_HOST_SIM=PATH" >&2
    exit 1
fi
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"

rm -rf "$work"
mkdir -p "$work"
terminal="$work/printer-tty"
"$simulator" --model KRT-310 --state-file "$work/state.txt" --link "$terminal" --quiet \
    >"$work/simulator.out" 2>&1 &
simulator_pid=$!
com5="$WINEPREFIX/dosdevices/com5"
trap 'kill "$simulator_pid" 2>/dev/null || true; wait "$simulator_pid" 2>/dev/null || true; rm -f "$com5"' EXIT

tries=0
while [ ! -e "$terminal" ] || [ ! -s "$work/state.txt" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$simulator_pid" 2>/dev/null; then
        echo "corvane-sim did not come up:" >&2
        cat "$work/simulator.out" >&2
        exit 1
    fi
    sleep 0.1
done

"$wine_run" --prepare
# COM5 is the printer's terminal: in Wine's registry for sessions to come, and in the device
# folder of the session that runs now.
"$wine_run" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$terminal" /f >/dev/null 2>&1
ln -sfn "$terminal" "$com5"

CORVANE_TEST_COM=COM5 CORVANE_TEST_STATE="$work/state.txt" "$wine_run" "$test_program" \
    --gtest_brief=1
