#!/usr/bin/env bash
# Benchmark of the comparison engine against GNU cmp on the same files in the same run:
#   two identical 1 GB files        engine vs `cmp`
#   two 10 MB files, 10,000 changes engine vs `cmp -l` (which lists every difference, as the
#                                   engine does) and vs `cmp` (which stops at the first)
# Builds a Release host build in build/bench-host; test files go to build/bench-data
# (kept for the next run; BENCH_DATA=dir to put them elsewhere). Prints the best of
# BENCH_RUNS (default 5) wall times of each and the ratio engine / cmp (below 1: faster).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
runs="${BENCH_RUNS:-5}"
data="${BENCH_DATA:-$root/build/bench-data}"

cmake -S . -B build/bench-host -DCMAKE_BUILD_TYPE=Release -DQ_SANITIZE=OFF >/dev/null
cmake --build build/bench-host --target bench_compare -j2 >/dev/null
bench="$root/build/bench-host/tools/bench-compare/bench_compare"

mkdir -p "$data"
big=$((1000 * 1000 * 1000))
small=$((10 * 1000 * 1000))
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
if [ "$(size_of "$data/big1")" != "$big" ] || [ "$(size_of "$data/big2")" != "$big" ]; then
  echo "making two identical 1 GB files in $data"
  "$bench" make "$data/big1" "$big" 1
  cp "$data/big1" "$data/big2"
fi
if [ "$(size_of "$data/small1")" != "$small" ] || [ "$(size_of "$data/small2")" != "$small" ]; then
  "$bench" make "$data/small1" "$small" 2
  "$bench" alter "$data/small1" "$data/small2" 10000
fi
# Everything from the page cache, for every contender alike.
cat "$data/big1" "$data/big2" "$data/small1" "$data/small2" >/dev/null

# best_ns CMD...: the shortest wall time of $runs runs, in nanoseconds (exit codes 0 and 1
# both count: cmp answers 1 for files that differ). Output goes to a file, not /dev/null:
# GNU cmp notices /dev/null and then stops at the first difference like `cmp -s`.
best_ns() {
  local best="" t0 t1 rc
  for _ in $(seq "$runs"); do
    t0=$(date +%s%N)
    set +e
    "$@" >"$data/out.txt"
    rc=$?
    set -e
    t1=$(date +%s%N)
    if [ "$rc" -gt 1 ]; then echo "failed ($rc): $*" >&2; exit 1; fi
    local t=$((t1 - t0))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}
ms() { awk -v n="$1" 'BEGIN { printf "%8.1f ms", n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# The engine must find what cmp finds.
rows=$("$bench" "$data/small1" "$data/small2" | awk '{ print $2 }')
cmp_rows=$(cmp -l "$data/small1" "$data/small2" | wc -l || true)
if [ "$rows" != "$cmp_rows" ] || [ "$rows" != 10000 ]; then
  echo "engine found $rows differences, cmp -l $cmp_rows" >&2
  exit 1
fi

e_big=$(best_ns "$bench" "$data/big1" "$data/big2")
c_big=$(best_ns cmp "$data/big1" "$data/big2")
e_small=$(best_ns "$bench" "$data/small1" "$data/small2")
cl_small=$(best_ns cmp -l "$data/small1" "$data/small2")
c_small=$(best_ns cmp "$data/small1" "$data/small2")

echo "comparison engine vs GNU $(cmp --version | head -1 | awk '{ print $NF }') cmp, best of $runs runs"
echo "identical 1 GB files:       engine $(ms "$e_big")   cmp    $(ms "$c_big")   ratio $(ratio "$e_big" "$c_big")"
echo "10 MB, 10,000 differences:  engine $(ms "$e_small")   cmp -l $(ms "$cl_small")   ratio $(ratio "$e_small" "$cl_small")"
echo "                                                   cmp    $(ms "$c_small")   ratio $(ratio "$e_small" "$c_small") (cmp stops at the first)"
