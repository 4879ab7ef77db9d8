#!/usr/bin/env bash
# velmor-filter writing JPEG and PNG from a 24 MP camera-like JPEG, against libvips and ImageMagick
# doing the same tint, in one run with the commands taking turns, so that every ratio compares
# figures taken under the same load. The photo carries a real camera's metadata (EXIF with GPS,
# XMP, IPTC, an sRGB profile); the same photo stripped of it shows what carrying it costs.
#   bench/formats/compare.sh [ROUNDS [PHOTO.jpg]]   (default 7 rounds; medians are reported)
# PHOTO.jpg, a real camera's photo, is used as it is in place of the generated one.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-7}
given=${2:+$(realpath "$2")} # before the move into the work folder
source "$root/bench/common/peers.sh"
if [[ -n $given ]]; then
  cp "$given" photo.jpg
  exiftool -q -all= -o plain.jpg photo.jpg
else
  "$bin/make_photo" photo.bmp 6000 4000
  vips copy photo.bmp plain.jpg[Q=92]
  cp plain.jpg photo.jpg
  exiftool -q -overwrite_original -TagsFromFile "$root/tests/formats/fixtures/iphone6plus-rotated.jpg" -all:all \
    -Orientation#=1 photo.jpg
fi
# Sepia: each output channel = factor x the mean of the three; red and green 1.5, blue 0.5.
printf '3 3\n0.5 0.5 0.5\n0.5 0.5 0.5\n0.1666667 0.1666667 0.1666667\n' > sepia.mat

names=("velmor-filter jpg->jpg" "velmor-filter jpg->jpg, no metadata" "libvips recomb jpg->jpg"
  "ImageMagick -color-matrix jpg->jpg" "velmor-filter jpg->bmp" "djpeg (decode only) jpg->bmp"
  "velmor-filter jpg->png")
run() {
  case $1 in
    0) "$bin/velmor-filter" -q -f sepia -Q 90 -o out-velmor.jpg photo.jpg ;;
    1) "$bin/velmor-filter" -q -f sepia -Q 90 -o out-plain.jpg plain.jpg ;;
    2) vips recomb photo.jpg out-vips.jpg[Q=90] sepia.mat ;;
    3) "$magick" photo.jpg -color-matrix "0.5 0.5 0.5  0.5 0.5 0.5  0.1666667 0.1666667 0.1666667" -quality 90 out-magick.jpg ;;
    4) "$bin/velmor-filter" -q -f sepia -o out-velmor.bmp photo.jpg ;;
    5) djpeg -bmp -outfile out-djpeg.bmp photo.jpg ;;
    6) "$bin/velmor-filter" -q -f sepia -o out-velmor.png photo.jpg ;;
  esac
}

source "$root/bench/common/rounds.sh"
time_rounds "$rounds"
ms() { median_us "$1"; }
printf '%-40s %10s %12s\n' "command ($(vipsheader photo.jpg), sepia)" "median ms" "vs libvips"
for i in "${!names[@]}"; do
  printf '%-40s %10.1f %11.2fx\n' "${names[$i]}" "$(echo "$(ms "$i") / 1000" | bc -l)" "$(echo "$(ms "$i") / $(ms 2)" | bc -l)"
done
printf '\nvelmor-filter to JPEG / libvips:        %.2f\n' "$(echo "$(ms 0) / $(ms 2)" | bc -l)"
printf 'velmor-filter to BMP / djpeg decode:    %.2f\n' "$(echo "$(ms 4) / $(ms 5)" | bc -l)"
printf 'velmor-filter to PNG / to BMP:          %.2f\n' "$(echo "$(ms 6) / $(ms 4)" | bc -l)"
# The metadata steps alone (read from the photo, prepared for the output), from the benchmark.
metadata_us=$("$bin/bench_formats" --benchmark_filter=Metadata --benchmark_format=csv 2>/dev/null |
  awk -F, '/Metadata/ {sum += $3} END {print sum}')
printf 'metadata steps / the JPEG run:          %.2f %% (%.2f ms)\n' "$(echo "$metadata_us * 100 / $(ms 0)" | bc -l)" \
  "$(echo "$metadata_us / 1000" | bc -l)"
printf 'sizes: %s\n' "$(ls -l out-velmor.jpg out-vips.jpg out-magick.jpg out-velmor.png out-velmor.bmp | awk '{printf "%s %.1f MB  ", $9, $5/1e6}')"
