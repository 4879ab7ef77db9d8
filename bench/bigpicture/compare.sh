#!/usr/bin/env bash
# velmor-filter on 24, 100 and 200 MP JPEGs (a phone's 200-megapixel mode is 16320 x 12240) to the
# designed bitmap and to JPEG, beside libvips doing the same tint, in one run with the commands
# taking turns: peak memory (GNU time's maximum resident size), time and time per megapixel.
#   bench/bigpicture/compare.sh [ROUNDS]   (default 3 rounds; medians are reported)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-3}
source "$root/bench/common/peers.sh"
sizes=("6000 4000" "11648 8736" "16320 12240")
for s in "${!sizes[@]}"; do
  "$bin/make_photo" photo.bmp ${sizes[$s]}
  cjpeg -quality 92 -outfile "photo$s.jpg" photo.bmp
done
rm -f photo.bmp
# Sepia: each output channel = factor x the mean of the three; red and green 1.5, blue 0.5.
printf '3 3\n0.5 0.5 0.5\n0.5 0.5 0.5\n0.1666667 0.1666667 0.1666667\n' > sepia.mat

names=("velmor-filter jpg->bmp" "velmor-filter jpg->jpg" "libvips recomb jpg->jpg")
command() { # command, size: fills cmd
  case $1 in
    0) cmd=("$bin/velmor-filter" -q -f sepia -o out.bmp "photo$2.jpg") ;;
    1) cmd=("$bin/velmor-filter" -q -f sepia -Q 90 -o out.jpg "photo$2.jpg") ;;
    2) cmd=(vips recomb "photo$2.jpg" "out-vips.jpg[Q=90]" sepia.mat) ;;
  esac
}
declare -A secs kib
for ((r = 0; r < rounds; r++)); do
  for s in "${!sizes[@]}"; do
    for i in "${!names[@]}"; do
      command "$i" "$s"
      rm -f out.bmp out.jpg out-vips.jpg # replacing a 600 MB file costs its freeing, not our work
      /usr/bin/time -f '%e %M' -o measure "${cmd[@]}"
      read -r e m < measure
      secs[$i,$s]+="$e "
      kib[$i,$s]+="$m "
    done
  done
done
median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
printf '%-26s %9s %9s %9s %10s %10s %10s\n' "command (sepia)" "MP" "peak MB" "s" "ms/MP" "mem/vips" "time/vips"
for s in "${!sizes[@]}"; do
  read -r w h <<<"${sizes[$s]}"
  mp=$(echo "$w * $h / 1000000" | bc -l)
  vm=$(median "${kib[2,$s]}"); vs=$(median "${secs[2,$s]}")
  for i in "${!names[@]}"; do
    m=$(median "${kib[$i,$s]}"); t=$(median "${secs[$i,$s]}")
    printf '%-26s %9.0f %9.0f %9.2f %10.2f %9.2fx %9.2fx\n' "${names[$i]}" "$mp" "$(echo "$m / 1024" | bc -l)" "$t" \
      "$(echo "$t * 1000 / $mp" | bc -l)" "$(echo "$m / $vm" | bc -l)" "$(echo "$t / $vs" | bc -l)"
  done
done
