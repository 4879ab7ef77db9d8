#!/usr/bin/env bash
# Checks of the files the package installs, each with the tool that reads it:
#   check.sh mime SOURCE.xml | help CHM | help-twice HELPDIR CHMCMD ICONV STAMP | icons DIR NAME |
#            man PAGE.1 PROGRAM [ARGS...]
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

case "$1" in
mime)
  # The database built from our definition alone must know the glob and the parent type.
  db=$(mktemp -d); trap 'rm -rf "$db"' EXIT
  mkdir -p "$db/packages"; cp "$2" "$db/packages/"
  out=$(update-mime-database -V "$db" 2>&1) || fail "update-mime-database: $out"
  grep -qi "warning\|error" <<<"$out" && fail "update-mime-database: $out"
  grep -q '^50:application/x-qpx:\*\.qpx$' "$db/globs2" || fail "no *.qpx glob"
  grep -q '^application/x-qpx application/x-lha$' "$db/subclasses" || fail "not a sub-class of application/x-lha"
  ;;
help)
  # A compiled help file, with its contents, index and every page.
  [[ $(head -c 4 "$2") == ITSF ]] || fail "$2 is no compiled help file"
  for page in index open filters preview-create formats qpx keys velmor-filter tempfiles messages; do
    grep -aq "/$page.html" "$2" || fail "$2 lacks $page.html"
  done
  grep -aq "/toc.hhc" "$2" || fail "$2 lacks its contents"
  ;;
help-twice)
  # Compiled twice, a second apart, with one SOURCE_DATE_EPOCH: the same bytes, whose build-time
  # stamp (the header's, most significant byte first) is that epoch's time of day.
  work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
  for n in 1 2; do
    [[ $n == 2 ]] && sleep 1.1
    SOURCE_DATE_EPOCH=1796733296 cmake -DSOURCE_DIR="$2" -DWORK_DIR="$work/w$n" -DOUTPUT="$work/$n.chm" \
      -DCHMCMD="$3" -DICONV="$4" -DSTAMP="$5" -P "$2/build_chm.cmake" || fail "compiling the help"
  done
  cmp "$work/1.chm" "$work/2.chm" || fail "two compilations of the help differ"
  [[ $(od -An -t x1 -j 16 -N 4 "$work/1.chm" | tr -d ' ') == 02b32980 ]] || fail "the header's stamp is not the epoch's"
  ;;
icons)
  # Every usual size, a PNG of exactly that size.
  for size in 16 24 32 48 64 128 256; do
    png="$2/${size}x${size}/apps/$3.png"
    [[ -f $png ]] || fail "missing $png"
    read -r w h < <(od -An -t u1 -j 16 -N 8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [[ $w == "$size" && $h == "$size" ]] || fail "$png is ${w}x${h}"
  done
  ;;
man)
  # The page renders without a warning and names every option that the program's --help lists.
  page=$2; shift 2
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$page: $warnings"
  text=$(sed 's/\\-/-/g' "$page")
  help=$("$@" --help)
  for option in $(grep -oE '(^|[ [(|,])--?[a-z][a-z0-9-]*' <<<"$help" | sed 's/^[ [(|,]//' | sort -u); do
    grep -qe "$option" <<<"$text" || fail "$page does not describe $option"
  done
  ;;
*)
  fail "unknown check $1"
  ;;
esac
