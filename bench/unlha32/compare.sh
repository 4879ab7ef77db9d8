#!/usr/bin/env bash
# Whole-command speed of the archiver against its peers, on a 6000 x 4000 photo-like bitmap
# (72 MB) and its sepia-filtered version: `unlha a` against `jlha a` (time and size), `unlha e`
# against `bsdtar -xf` on the same archive, and gzip -6's size for scale. Medians of hyperfine
# runs; ratios are taken within the same run. Needs `scripts/setup --bench` and a Release build:
#   scripts/build --bench && bench/unlha32/compare.sh [build-dir] [runs] [more.bmp ...]
# With OTHER_UNLHA=/path/to/unlha (another build, e.g. one that memory-maps its archives) its
# `e` is timed in the same run and shown as other-e with its ratio to bsdtar.
set -euo pipefail
cd "$(dirname "$0")/../.."
bin="$(realpath "${1:-build}")/bin"
runs="${2:-5}"
for tool in hyperfine jlha bsdtar gzip python3; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing (scripts/setup --bench)" >&2; exit 1; }
done
[[ -x "$bin/unlha" && -x "$bin/make_photo" ]] || { echo "compare.sh: build $bin first (scripts/build --bench)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/make_photo" "$work/photo.bmp" 6000 4000
inputs=(photo)
if [[ -x "$bin/velmor-filter" ]]; then
  "$bin/velmor-filter" -f sepia -o "$work/sepia.bmp" "$work/photo.bmp" && inputs+=(sepia)
else
  echo "(velmor-filter is not built: the sepia row is skipped)"
fi
for extra in "${@:3}"; do # further pictures to measure, by their base name
  cp "$extra" "$work/$(basename "$extra" .bmp).bmp"
  inputs+=("$(basename "$extra" .bmp)")
done

median() { python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print(" ".join("%.3f" % x["median"] for x in r))' "$1"; }

printf '%-8s %9s %9s %6s %9s %9s %6s %11s %11s %11s %7s %7s\n' input unlha-a jlha-a speed unlha-e bsdtar-x ratio \
  unlha-size jlha-size gzip6-size u/jlha u/gzip
for name in "${inputs[@]}"; do
  in="$work/$name.bmp"
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/add.json" \
    --prepare "rm -f '$work/u.lzh' '$work/j.lzh'" \
    -n unlha "'$bin/unlha' a '$work/u.lzh' '$in'" \
    -n jlha "cd '$work' && jlha aq '$work/j.lzh' '$name.bmp'" >/dev/null
  read -r tu tj < <(median "$work/add.json")
  "$bin/unlha" a "$work/u.lzh" "$in" >/dev/null
  other=()
  [[ -n "${OTHER_UNLHA:-}" ]] && other=(-n other "'$OTHER_UNLHA' e '$work/u.lzh' '$work/xo/'")
  hyperfine --style none --warmup 1 --runs "$((runs * 2))" --export-json "$work/ext.json" \
    --prepare "rm -rf '$work/xu' '$work/xb' '$work/xo' && mkdir '$work/xu' '$work/xb' '$work/xo'" \
    -n unlha "'$bin/unlha' e '$work/u.lzh' '$work/xu/'" \
    -n bsdtar "bsdtar -xf '$work/u.lzh' -C '$work/xb'" "${other[@]}" >/dev/null
  read -r eu eb eo < <(median "$work/ext.json")
  [[ -n "${eo:-}" ]] && python3 -c "import sys; o,b=map(float,sys.argv[1:]); print('%-8s other-e %.2fs, ratio to bsdtar %.2fx' % ('', o, o / b))" "$eo" "$eb"
  rm -f "$work/u.lzh" "$work/j.lzh"
  "$bin/unlha" a "$work/u.lzh" "$in" >/dev/null
  (cd "$work" && jlha aq j.lzh "$name.bmp" >/dev/null)
  su=$(stat -c %s "$work/u.lzh"); sj=$(stat -c %s "$work/j.lzh"); sg=$(gzip -6 -c "$in" | wc -c)
  python3 - "$name" "$tu" "$tj" "$eu" "$eb" "$su" "$sj" "$sg" <<'PY'
import sys
n, tu, tj, eu, eb, su, sj, sg = sys.argv[1], *map(float, sys.argv[2:])
print("%-8s %8.2fs %8.2fs %5.2fx %8.2fs %8.2fs %5.2fx %11d %11d %11d %7.4f %7.4f"
      % (n, tu, tj, tj / tu, eu, eb, eu / eb, su, sj, sg, su / sj, su / sg))
PY
done
echo "speed = jlha time / unlha time (target >= 3); ratio = unlha e time / bsdtar -xf time (target <= 1.1);"
echo "u/jlha = unlha size / jlha size (target <= 1.01); u/gzip = unlha size / gzip -6 size."
