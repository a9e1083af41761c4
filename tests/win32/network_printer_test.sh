#!/bin/sh
# The Windows network backend end to end: corvane-sim, built for this machine, serves a KRT-620
# on a TCP port of the loopback interface, which programs under Wine reach through the host's
# sockets. corvane-cli.exe identifies it and reads its settings through Windows Sockets, and a
# port on which nothing listens is refused with its own words.
#   network_printer_test.sh WINE_RUN CORVANE_CLI.exe CORVANE_SIM WORK_DIR
set -eu
wine_run=$(realpath "$1")
cli=$(realpath "$2")
simulator=$(realpath -m "$3")
work=$(realpath -m "$4")

if [ ! -x "$simulator" ]; then
    echo "corvane-sim for this machine is not at $simulator: build the Linux tree first" \
         "(cmake -S . -B build && cmake --build build) or give -DCORVANE_HOST_SIM=PATH" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work"
"$simulator" --model KRT-620 --tcp 0 --quiet >"$work/simulator.out" 2>&1 &
simulator_pid=$!
trap 'kill "$simulator_pid" 2>/dev/null || true; wait "$simulator_pid" 2>/dev/null || true' EXIT

tries=0
while ! grep -q '^tcp:' "$work/simulator.out"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$simulator_pid" 2>/dev/null; then
        echo "corvane-sim did not come up:" >&2
        cat "$work/simulator.out" >&2
        exit 1
    fi
    sleep 0.1
done
address=$(head -n 1 "$work/simulator.out")

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
"$wine_run" --prepare
cd "$work"
"$wine_run" "$cli" identify --port "$address" --json >identify.json 2>identify.err ||
    fail "identify: $(cat identify.json identify.err)"
grep -q '"model": "KRT-620"' identify.json || fail "identify names no KRT-620: $(cat identify.json)"
"$wine_run" "$cli" get --port "COM3=$address" -o settings.json 2>get.err ||
    fail "get: $(cat get.err)"
grep -q "Success to get status of printer." get.err || fail "get: $(cat get.err)"

# The simulator's port, now closed, refuses the connection.
kill "$simulator_pid"
wait "$simulator_pid" 2>/dev/null || true
status=0
"$wine_run" "$cli" identify --port "$address" >refused.out 2>refused.err || status=$?
[ "$status" = 4 ] || fail "refused: exit $status: $(cat refused.err)"
grep -q "cannot open COM1 ($address): connection refused (Windows error 10061)" refused.err ||
    fail "refused: $(cat refused.err)"
echo "corvane-cli.exe on $address: identify and get reached the printer, a closed port refused"
