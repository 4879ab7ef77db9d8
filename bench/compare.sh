#!/usr/bin/env bash
# velmor-filter against its peers on one 6000 x 4000 photo-like 24-bit BMP, in one run with the
# commands taking turns, so that every ratio compares figures taken under the same load.
#   bench/compare.sh [ROUNDS]        (default 7 rounds; medians are reported)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
source "$root/bench/common/peers.sh"
"$bin/make_photo" photo.bmp 6000 4000
printf '3 1 1 0\n0.333333333333 0.333333333333 0.333333333333\n' > grey.mat

# Sepia everywhere: grey = mean of the three channels; blue x 0.5, green and red x 1.5, capped.
names=(velmor-filter "dd bs=4M" "ImageMagick -color-matrix" "libvips exact pipeline")
run() {
  case $1 in
    0) "$bin/velmor-filter" -q -f sepia -o out-velmor.bmp photo.bmp ;;
    1) dd if=photo.bmp of=out-dd.bmp bs=4M status=none ;;
    2) "$magick" photo.bmp -color-matrix "0.5 0.5 0.5  0.5 0.5 0.5  0.16667 0.16667 0.16667" out-magick.bmp ;;
    3) vips recomb photo.bmp g.v grey.mat && vips round g.v r.v rint \
         && vips linear r.v t.v "1.5 1.5 0.5" 0 && vips round t.v u.v rint \
         && vips cast u.v c.v uchar && vips copy c.v out-vips.bmp ;;
  esac
}

source "$root/bench/common/rounds.sh"
time_rounds "$rounds"
ours=$(median_us 0)
printf '%-28s %12s %10s\n' "command (24 MP, sepia)" "median ms" "vs ours"
for i in "${!names[@]}"; do
  m=$(median_us "$i")
  printf '%-28s %12.1f %9.2fx\n' "${names[$i]}" "$(echo "$m / 1000" | bc -l)" "$(echo "$m / $ours" | bc -l)"
done
