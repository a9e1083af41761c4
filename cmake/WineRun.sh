#!/bin/sh
# Runs a Windows program under Wine (wine64 from Debian) in a private prefix that is made on
# first use: WINEPREFIX when set, else one per user under the temporary folder. Wine's own
# diagnostics are off and windows go to Wine's null driver, so no X server is needed.
#   WineRun.sh PROGRAM.exe [ARGUMENTS]   runs a program
#   WineRun.sh --prepare                 only makes the prefix
#   WineRun.sh --stop                    ends the prefix's Wine server and its programs
set -eu
wine_dir=${CORVANE_WINE_DIR:-/usr/lib/wine}
: "${WINEPREFIX:=${TMPDIR:-/tmp}/corvane-wine-$(id -u)}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No prompts for the .NET and HTML runtimes that Wine offers to install into a new prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
unset DISPLAY WAYLAND_DISPLAY

if [ "${1:-}" = "--stop" ]; then
    "$wine_dir/wineserver" -k 2>/dev/null || true
    exit 0
fi

mkdir -p "$WINEPREFIX"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # Windows without a display: Wine's null driver keeps them, with their controls and
        # messages, where its X11 driver would refuse to create any. The new prefix starts
        # from this setting.
        printf 'WINE REGISTRY Version 2\n\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n' \
            >"$WINEPREFIX/user.reg"
        "$wine_dir/wine64" wineboot -i >/dev/null 2>&1
    fi
    # A server of our own, started with its diagnostics (and the state it dumps on a hang-up
    # signal) going nowhere; it stays a few seconds after the last program, so that a run of
    # tests shares it. It must not inherit the lock, which it would hold for as long as it runs.
    "$wine_dir/wineserver" -p5 </dev/null >/dev/null 2>&1 9>&- || true
) 9>"$WINEPREFIX.lock"

if [ "${1:-}" = "--prepare" ]; then
    exit 0
fi
exec "$wine_dir/wine64" "$@"
