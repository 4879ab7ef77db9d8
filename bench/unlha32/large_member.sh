#!/usr/bin/env bash
# A member past 4 GiB (64-bit sizes in extension 0x42): `unlha e` and `unlha t` against
# `bsdtar -xf` on the same archive, time and peak memory (maximum resident set) of each, taken
# in the same run; then `unlha a` compressing a file of that size (photo-like bitmaps end to end)
# and the compressed member extracted by `unlha e` and `bsdtar -xf`. Needs about three times the
# member's size of free space in the scratch folder.
#   scripts/build --bench && bench/unlha32/large_member.sh [build-dir] [size-MiB] [scratch-dir]
set -euo pipefail
cd "$(dirname "$0")/../.."
bin="$(realpath "${1:-build}")/bin"
mib="${2:-4200}"
for tool in bsdtar /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "large_member.sh: $tool is missing" >&2; exit 1; }
done
[[ -x "$bin/unlha" && -x "$bin/make_large_member" && -x "$bin/make_photo" ]] || { echo "large_member.sh: build $bin first (scripts/build --bench)" >&2; exit 1; }
work="$(mktemp -d "${3:-${TMPDIR:-/tmp}}/large-member.XXXXXX")"
trap 'rm -rf "$work"' EXIT
"$bin/make_large_member" "$work/large.lzh" "$mib"
measure() { # name, command...: prints seconds and peak KiB
  local name="$1"; shift
  rm -rf "$work/out" && mkdir "$work/out"
  sync
  /usr/bin/time -f "%e %M %U %S" -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
  read -r secs kib user sys <"$work/time.txt"
  printf '%-10s %8.2fs wall %6.2fs user %6.2fs system %9d KiB peak\n' "$name" "$secs" "$user" "$sys" "$kib"
  echo "$secs $kib" >"$work/$name.txt"
}
echo "member: $mib MiB, stored"
# Writing gigabytes is bound by the disk's write-back: wall times vary with what else runs;
# user and system times show each program's own cost.
measure bsdtar-x bsdtar -xf "$work/large.lzh" -C "$work/out"
measure unlha-e "$bin/unlha" e "$work/large.lzh" "$work/out/"
[[ "$(stat -c %s "$work/out/large.bin")" == $((mib << 20)) ]] || { echo "unlha e: wrong size" >&2; exit 1; }
measure unlha-t "$bin/unlha" t "$work/large.lzh"
read -r ue um <"$work/unlha-e.txt"; read -r be bm <"$work/bsdtar-x.txt"
python3 -c "import sys; ue,be=map(float,sys.argv[1:3]); print('ratio unlha e / bsdtar -xf: %.2fx; unlha peak %.1f MB' % (ue/be, int(sys.argv[3])/1024))" "$ue" "$be" "$um"

# Compressing a member of the same size: memory must not grow with it.
rm -rf "$work/large.lzh" "$work/out"
"$bin/make_photo" "$work/photo.bmp" 6000 4000
copies=$(( ((mib << 20) + $(stat -c %s "$work/photo.bmp") - 1) / $(stat -c %s "$work/photo.bmp") ))
# head closes the pipe once it has the size: the copy loop's broken pipe is no failure.
{ for ((i = 0; i < copies; i++)); do cat "$work/photo.bmp"; done || true; } | head -c $((mib << 20)) >"$work/large.bin"
[[ "$(stat -c %s "$work/large.bin")" == $((mib << 20)) ]] || { echo "large_member.sh: could not make the input" >&2; exit 1; }
rm "$work/photo.bmp"
echo "member: $mib MiB of photo-like bitmaps, compressed"
measure unlha-a "$bin/unlha" a "$work/big.lzh" "$work/large.bin"
"$bin/unlha" l "$work/big.lzh" | sed -n 2p
measure bsdtar-x2 bsdtar -xf "$work/big.lzh" -C "$work/out"
measure unlha-e2 "$bin/unlha" e "$work/big.lzh" "$work/out/"
cmp -s "$work/out/large.bin" "$work/large.bin" || { echo "unlha e: other bytes" >&2; exit 1; }
read -r ae am <"$work/unlha-a.txt"; read -r ue um <"$work/unlha-e2.txt"; read -r be bm <"$work/bsdtar-x2.txt"
python3 -c "import sys; ae,am,ue,um,be,bm=map(float,sys.argv[1:]); print('unlha a: %.0f MB/s, peak %.1f MB; unlha e / bsdtar -xf: %.2fx, peaks %.1f / %.1f MB' % ($mib*1.048576/ae, am/1024, ue/be, um/1024, bm/1024))" "$ae" "$am" "$ue" "$um" "$be" "$bm"
