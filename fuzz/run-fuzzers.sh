#!/usr/bin/env bash
# Runs every fuzz target of a fuzzing build (configured with -DCORVANE_FUZZ=ON) from its seed
# corpus, with the libFuzzer options given, such as -max_total_time=20 or -runs=10000000, and
# prints how many inputs each one ran. Fails when any crashes, hangs or leaks; libFuzzer leaves
# the input that caused it in BUILD_DIR/fuzz/artifacts. FUZZ_TARGETS="a b" runs only those.
# Usage: fuzz/run-fuzzers.sh BUILD_DIR [LIBFUZZER_OPTION...]
set -euo pipefail
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
targets=${FUZZ_TARGETS:-$(cd "$here/corpus" && ls)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/fuzz/artifacts"
status=0
for name in $targets; do
    exe="$build/fuzz/fuzz_$name"
    if [ ! -x "$exe" ]; then
        echo "fuzz_$name: not built in $build" >&2
        exit 1
    fi
    # New inputs go to a scratch folder, so the seeds in the repository stay as they are.
    mkdir -p "$work/$name"
    log="$build/fuzz/fuzz_$name.log"
    start=$SECONDS
    if TMPDIR="$work" "$exe" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz/artifacts/$name-" "$@" "$work/$name" "$here/corpus/$name" \
        >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
    printf '%-22s %-6s %12s runs %8s  %4d s\n' "fuzz_$name" "$result" "${runs:-?}" \
        "${coverage#cov: }" $((SECONDS - start))
    if [ "$result" = FAILED ]; then
        tail -n 40 "$log" >&2
    fi
done
exit $status
