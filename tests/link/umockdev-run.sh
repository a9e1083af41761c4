#!/bin/sh
# Runs a test program under umockdev's wrapper (the first argument). Sanitizer reports go to
# standard error there: a log file named by log_path is opened before umockdev's preloaded
# library is ready for it, and the program crashes before its first line.
set -eu
without_log_path() { printf '%s' "$1" | sed -E 's/(^|:)log_path=[^:]*//'; }
if [ -n "${ASAN_OPTIONS:-}" ]; then
    ASAN_OPTIONS=$(without_log_path "$ASAN_OPTIONS")
    export ASAN_OPTIONS
fi
if [ -n "${UBSAN_OPTIONS:-}" ]; then
    UBSAN_OPTIONS=$(without_log_path "$UBSAN_OPTIONS")
    export UBSAN_OPTIONS
fi
exec "$@"
