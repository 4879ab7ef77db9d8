# Sourced by the peer comparisons: runs every command of names (through the caller's run N) once a
# round, the commands taking turns so that all are timed under the same load, and gives medians.
#   time_rounds ROUNDS    fills times[i] with the microseconds of each round of command i
#   median_us I           the median of command i, in microseconds

declare -A times

time_rounds() {
  local r i start end
  for ((r = 0; r < $1; r++)); do
    for i in "${!names[@]}"; do
      start=$(date +%s%N)
      run "$i"
      end=$(date +%s%N)
      times[$i]+="$(( (end - start) / 1000 )) "
    done
  done
}

median_us() {
  echo "${times[$1]}" | tr ' ' '\n' | grep -v '^$' | sort -n |
    awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'
}
