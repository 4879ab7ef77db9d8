#!/usr/bin/env bash
# Makes the screenshots of the window under a virtual X server with a window manager (openbox),
# from a build with tests (build-test by default): the window as it opens, from the program
# itself, and, on a 1280 x 1024 screen, a 4000 x 3000 photo previewed in sepia: part way through
# the render, the preview, and the whole screen.
set -euo pipefail
cd "$(dirname "$0")"
bin="$(realpath "${1:-../../build-test/bin}")"
here="$(pwd)"
work="$(mktemp -d)"
pictures=/tmp/velmor-screenshot/写真
mkdir -p "$pictures"
trap 'rm -rf "$work" /tmp/velmor-screenshot' EXIT

export ASAN_OPTIONS=detect_leaks=0 XDG_CONFIG_HOME="$work/config" TMPDIR="$work"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
  openbox & sleep 1
  '$bin/velmor' & pid=\$!
  sleep 3
  import -window root '$work/root.png'
  kill \$pid
  '$bin/velmor_screenshot' '$here' '$pictures'
" 2>/dev/null
# The screen is black around the window.
convert "$work/root.png" -trim +repage "$here/velmor-window.png"
