#!/usr/bin/env bash
# velmor-filter against its peers on one 6000 x 4000 photo-like 24-bit BMP, in one run with the
# commands taking turns, so that every ratio compares figures taken under the same load; then
# velmor-filter writing a QPX file against writing the bitmap, from a 24 MP JPEG with grain and
# from a smooth one (a real photo scaled up when the shared test pictures are there).
#   bench/compare.sh [ROUNDS]        (default 7 rounds; medians are reported)
# VELMOR_TESTDATA names the shared test pictures when they are not in ../shared/testdata.
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

# QPX create against bitmap create, from JPEGs, through the registered control.
export XDG_CONFIG_HOME="$work/config"
"$bin/regsvr" "$bin/libqpxctrl.so" >/dev/null
"$bin/make_photo" grain.bmp 6000 4000 8
"$magick" grain.bmp -quality 95 noisy.jpg
real="${VELMOR_TESTDATA:-$root/../shared/testdata}/photos/Kodak_PIXPRO_S-1.jpg"
if [[ -f "$real" ]]; then
  "$magick" "$real" -resize '6000x4000!' -quality 90 smooth.jpg
  smooth_from="a real photo (Kodak PIXPRO S-1) scaled up"
else
  "$bin/make_photo" flat.bmp 6000 4000 0 && "$magick" flat.bmp -quality 90 smooth.jpg
  smooth_from="the generated photo without grain"
fi
names=(noisy-bmp noisy-qpx smooth-bmp smooth-qpx)
run() {
  local job=${names[$1]}
  rm -f "out.${job#*-}"
  "$bin/velmor-filter" -q -f sepia -o "out.${job#*-}" "${job%-*}.jpg"
}
times=()
time_rounds "$rounds"
echo
printf '%-40s %12s %12s %9s %12s\n' "velmor-filter -f sepia from a 24 MP JPEG" "bitmap ms" "QPX ms" "QPX/bmp" "QPX bytes"
for i in 0 2; do
  input=${names[$i]%-*}
  b=$(median_us "$i"); q=$(median_us "$((i + 1))")
  "$bin/velmor-filter" -q -f sepia -o "size.qpx" "$input.jpg"
  printf '%-40s %12.1f %12.1f %8.2fx %12d\n' "$input ($(stat -c %s "$input.jpg") bytes)" "$(echo "$b / 1000" | bc -l)" \
    "$(echo "$q / 1000" | bc -l)" "$(echo "$q / $b" | bc -l)" "$(stat -c %s size.qpx)"
  rm -f size.qpx
done
echo "noisy: the generated photo with grain 8, JPEG quality 95 (target QPX/bmp <= 2.5); smooth: $smooth_from (target <= 3)."
