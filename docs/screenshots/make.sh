#!/usr/bin/env bash
# Makes the screenshots of the window under a virtual X server with a window manager (openbox),
# from a build with tests (build-test by default): the window as it opens, from the program
# itself, and, on a 1280 x 1024 screen, a 4000 x 3000 photo previewed in sepia: part way through
# the render, the preview, and the whole screen; then, on a 1920 x 1080 screen at scale factors 1
# and 2, a real camera photo (Kodak PIXPRO S-1, 4640 x 3480, from the shared test data found above
# the project, or the photo given as the second argument) with 赤 chosen and Preview not pressed:
# the window as it opens for it, and maximised at 100 % on a detail (the koi's head).
set -euo pipefail
cd "$(dirname "$0")"
bin="$(realpath "${1:-../../build-test/bin}")"
photo="${2:-}"
if [[ -z "$photo" ]]; then
  for d in .. ../.. ../../.. ../../../.. ../../../../..; do
    [[ -f "$d/shared/testdata/photos/Kodak_PIXPRO_S-1.jpg" ]] && photo="$(realpath "$d/shared/testdata/photos/Kodak_PIXPRO_S-1.jpg")" && break
  done
fi
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

if [[ -n "$photo" ]]; then
  for scale in 1 2; do
    name=velmor-live-red$([[ $scale == 2 ]] && echo -x2 || true)
    QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 1920x1080x24" bash -c "
      openbox & sleep 1
      '$bin/velmor_screenshot' --live '$here' '$photo' '$name' 1900,2950
    " 2>/dev/null
  done
else
  echo "make.sh: no real photo found; the live preview screenshots are not made" >&2
fi
