#!/usr/bin/env bash
# Renders every dialog template (and the printer pictures) to PNG files for review.
# Usage: scripts/render-dialogs.sh [output-dir]   (default ./shots)
# CORVANE_BUILD_DIR names the build directory (default ./build); the renderer is built there
# when missing or stale.
set -euo pipefail

out_dir=${1:-shots}
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${CORVANE_BUILD_DIR:-$root/build}

if [[ ! -f $build_dir/build.ninja && ! -f $build_dir/Makefile ]]; then
    cmake -S "$root" -B "$build_dir" -G Ninja >/dev/null
fi
cmake --build "$build_dir" --target corvane-render >/dev/null

renderer=$build_dir/src/ui/qt/corvane-render
if [[ ! -x $renderer ]]; then
    echo "render-dialogs: $renderer was not built" >&2
    exit 1
fi

mkdir -p "$out_dir"
# A real X server (not the offscreen platform) so fonts and styles are those a desktop shows.
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$renderer" "$out_dir"
