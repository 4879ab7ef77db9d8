#!/usr/bin/env bash
# Whole-command speed of the archiver against its peers, on a 6000 x 4000 photo-like bitmap
# (72 MB) and its sepia-filtered version: `unlha a` on every processor and on one (taskset)
# against `jlha a` (time and size), `unlha e` against `bsdtar -xf` and `lhasa x` on the same
# archive, and gzip -6's size for scale. Medians of hyperfine runs; ratios are taken within the
# same run. Needs `scripts/setup --bench` and a Release build:
#   scripts/build --bench && bench/unlha32/compare.sh [build-dir] [runs] [more.bmp ...]
# With OTHER_UNLHA=/path/to/unlha (another build, e.g. main's) its `a` and `e` are timed in the
# same runs and its archive's size shown, as other-a, other-e and other-size. Processor times
# (user + system) follow each row: on a busy machine they stay near what each program costs.
set -euo pipefail
cd "$(dirname "$0")/../.."
bin="$(realpath "${1:-build}")/bin"
runs="${2:-5}"
for tool in hyperfine jlha bsdtar lhasa gzip python3 taskset; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing (scripts/setup --bench)" >&2; exit 1; }
done
[[ -x "$bin/unlha" && -x "$bin/make_photo" ]] || { echo "compare.sh: build $bin first (scripts/build --bench)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/make_photo" "$work/photo.bmp" 6000 4000
inputs=(photo)
if [[ -x "$bin/velmor-filter" ]]; then
  "$bin/velmor-filter" -q -f sepia -o "$work/sepia.bmp" "$work/photo.bmp" && inputs+=(sepia)
else
  echo "(velmor-filter is not built: the sepia row is skipped)"
fi
for extra in "${@:3}"; do # further pictures to measure, by their base name
  cp "$extra" "$work/$(basename "$extra" .bmp).bmp"
  inputs+=("$(basename "$extra" .bmp)")
done

medians() { python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print(" ".join("%.3f" % x["median"] for x in r))' "$1"; }
# Processor time (user + system, mean): on a loaded machine it stays what the program costs.
cpu_times() { python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print(" ".join("%.3f" % (x["user"] + x["system"]) for x in r))' "$1"; }
one_cpu="$(taskset -p $$ | sed 's/.*: //' | python3 -c 'import sys; m=int(sys.stdin.read(),16); print((m & -m).bit_length() - 1)')"
other=${OTHER_UNLHA:-}

printf '%-8s %8s %8s %8s %6s %6s | %8s %8s %8s %6s %6s | %10s %10s %10s %7s\n' input unlha-a 1-thread jlha-a speed 1thr \
  unlha-e bsdtar-x lhasa-x e/bsd e/lhs unlha-size jlha-size gzip6-size u/jlha
for name in "${inputs[@]}"; do
  in="$work/$name.bmp"
  add=(-n unlha "'$bin/unlha' a '$work/u.lzh' '$in'"
       -n one "taskset -c $one_cpu '$bin/unlha' a '$work/u1.lzh' '$in'"
       -n jlha "cd '$work' && jlha aq '$work/j.lzh' '$name.bmp'")
  [[ -n "$other" ]] && add+=(-n other "'$other' a '$work/o.lzh' '$in'")
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/add.json" \
    --prepare "rm -f '$work/u.lzh' '$work/u1.lzh' '$work/j.lzh' '$work/o.lzh'" "${add[@]}" >/dev/null
  read -r tu t1 tj to < <(medians "$work/add.json")
  read -r cu c1 cj co < <(cpu_times "$work/add.json")
  rm -f "$work/u.lzh" "$work/j.lzh" "$work/o.lzh"
  "$bin/unlha" a "$work/u.lzh" "$in" >/dev/null
  ext=(-n unlha "'$bin/unlha' e '$work/u.lzh' '$work/xu/'"
       -n bsdtar "bsdtar -xf '$work/u.lzh' -C '$work/xb'"
       -n lhasa "cd '$work/xl' && lhasa xq '$work/u.lzh'")
  [[ -n "$other" ]] && ext+=(-n other "'$other' e '$work/u.lzh' '$work/xo/'")
  hyperfine --style none --warmup 1 --runs "$((runs * 2))" --export-json "$work/ext.json" \
    --prepare "rm -rf '$work/xu' '$work/xb' '$work/xl' '$work/xo' && mkdir '$work/xu' '$work/xb' '$work/xl' '$work/xo'" \
    "${ext[@]}" >/dev/null
  read -r eu eb el eo < <(medians "$work/ext.json")
  read -r ceu ceb cel ceo < <(cpu_times "$work/ext.json")
  (cd "$work" && jlha aq j.lzh "$name.bmp" >/dev/null)
  su=$(stat -c %s "$work/u.lzh"); sj=$(stat -c %s "$work/j.lzh"); sg=$(gzip -6 -c "$in" | wc -c)
  python3 - "$name" "$tu" "$t1" "$tj" "$eu" "$eb" "$el" "$su" "$sj" "$sg" <<'PY'
import sys
n, tu, t1, tj, eu, eb, el, su, sj, sg = sys.argv[1], *map(float, sys.argv[2:])
print("%-8s %7.2fs %7.2fs %7.2fs %5.2fx %5.2fx | %7.3fs %7.3fs %7.3fs %5.2fx %5.2fx | %10d %10d %10d %7.4f"
      % (n, tu, t1, tj, tj / tu, tj / t1, eu, eb, el, eu / eb, eu / el, su, sj, sg, su / sj))
PY
  python3 -c "import sys; cu,c1,cj,ceu,ceb,cel=map(float,sys.argv[1:]); print('%-8s processor time: a %.2fs, 1 thread %.2fs, jlha %.2fs (jlha/unlha %.2fx); e %.3fs, bsdtar %.3fs, lhasa %.3fs (e/bsd %.2fx)' % ('', cu, c1, cj, cj/cu, ceu, ceb, cel, ceu/ceb))" \
    "$cu" "$c1" "$cj" "$ceu" "$ceb" "$cel"
  if [[ -n "$other" ]]; then
    "$other" a "$work/o.lzh" "$in" >/dev/null
    python3 -c "import sys; to,eo,tu,eu,so,su=map(float,sys.argv[1:]); print('%-8s other-a %.2fs (unlha %.2fx faster), other-e %.3fs (unlha %.2fx faster), other-size %d (unlha/other %.4f)' % ('', to, to/tu, eo, eo/eu, so, su/so))" \
      "$to" "$eo" "$tu" "$eu" "$(stat -c %s "$work/o.lzh")" "$su"
  fi
  rm -f "$work/u.lzh" "$work/j.lzh" "$work/o.lzh"
done
echo "speed = jlha time / unlha time on every processor (target >= 5), 1thr = the same with unlha on one;"
echo "e/bsd, e/lhs = unlha e time / bsdtar -xf, lhasa x time (target e/bsd <= 0.7); u/jlha = unlha size / jlha size."
