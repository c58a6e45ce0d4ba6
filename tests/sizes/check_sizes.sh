#!/usr/bin/env bash
# The size of finished executables against their limits, from outside (no Wine needed). Prints
# each file's size, its limit and its sections' sizes, so that the test output shows where the
# bytes went; fails for a file over its limit or missing.
# Usage: check_sizes.sh OBJDUMP FILE LIMIT [FILE LIMIT ...]
set -u
objdump=$1
shift
fails=0
while [ $# -ge 2 ]; do
  file=$1 limit=$2
  shift 2
  name=$(basename "$file")
  if [ ! -f "$file" ]; then
    echo "FAIL: $file is missing"
    fails=$((fails + 1))
    continue
  fi
  size=$(stat -c %s "$file")
  sections=""
  while read -r sec hex; do
    sections="$sections $sec $((16#$hex))"
  done < <("$objdump" -h "$file" | awk '$1 ~ /^[0-9]+$/ { print $2, $3 }')
  if [ "$size" -le "$limit" ]; then
    echo "$name: $size bytes, limit $limit ($((limit - size)) to spare)"
  else
    echo "FAIL: $name: $size bytes, over its limit of $limit by $((size - limit))"
    fails=$((fails + 1))
  fi
  echo "  sections:$sections"
done
[ "$fails" -eq 0 ] && echo "all sizes within their limits"
exit "$fails"
