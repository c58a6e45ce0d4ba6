#!/usr/bin/env bash
# bench-unzip.sh: extraction speed of the installer's archive walk against Info-ZIP unzip.
# Packs about 150 MB of mixed real files (headers, documentation, binaries; thousands of
# entries) with `zip -6`, then installs the archive into fresh folders with the host build of
# the walk (bench_unzip) and with `unzip -qq -o`, alternately, ROUNDS times each (default 3),
# and prints the best times and their ratio. Not a test: nothing fails on a slow machine.
# The work folder is in memory (/dev/shm, or BENCH_TMP), so that the two programs' own work is
# compared rather than the disk's moods.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD:-$root/build/bench}"
rounds="${ROUNDS:-3}"
budget=$((150 * 1024 * 1024))

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_unzip -j2 >/dev/null
bench="$build/tools/bench-unzip/bench_unzip"

tmp="${BENCH_TMP:-/dev/shm}"
[ -d "$tmp" ] && [ -w "$tmp" ] || tmp=/tmp
work="$(mktemp -d "$tmp/bench-unzip.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src"

# Regular files from each source in turn, up to its share of the budget.
take() {  # take SHARE_BYTES DIR...
  local share=$1; shift
  find "$@" -type f -size -20M -printf '%s %p\n' 2>/dev/null | sort -k2 |
    awk -v share="$share" '{ if (sum + $1 <= share) { sum += $1; sub(/^[0-9]+ /, ""); print } }'
}
{
  take $((budget * 60 / 100)) /usr/include
  take $((budget * 25 / 100)) /usr/share/doc
  take $((budget * 15 / 100)) /usr/bin /usr/lib/x86_64-linux-gnu
} > "$work/list"
# Names the installer refuses on Windows (colons, device names) are left out, and so are
# names that differ only in case (one file on Windows).
grep -v -i -E ':|/(con|prn|aux|nul|com[1-9]|lpt[1-9])(\.[^/]*)?$' "$work/list" | awk '!seen[tolower($0)]++' |
  while IFS= read -r f; do printf '%s\n' "${f#/}"; done > "$work/names"
tar -C / -cf - -T "$work/names" 2>/dev/null | tar -C "$work/src" -xf -
(cd "$work/src" && zip -q -r -6 -X "$work/bench.zip" .)
files=$(find "$work/src" -type f | wc -l)
mb=$(du -sm "$work/src" | cut -f1)
zipmb=$(du -sm "$work/bench.zip" | cut -f1)
echo "archive: $files files, $mb MB, zip -6: $zipmb MB"

now() { date +%s.%N; }
best_walk=999999 best_unzip=999999
run_walk() {
  local t0 t1
  t0=$(now); "$bench" "$work/bench.zip" "$work/a" >"$work/walk.log" || true; t1=$(now)
  walk=$(awk "BEGIN { print $t1 - $t0 }")
}
run_unzip() {
  local t0 t1
  t0=$(now); unzip -qq -o "$work/bench.zip" -d "$work/b"; t1=$(now)
  uz=$(awk "BEGIN { print $t1 - $t0 }")
}
for r in $(seq "$rounds"); do
  rm -rf "$work/a" "$work/b"; mkdir "$work/a" "$work/b"
  # Alternate which one goes first.
  if [ $((r % 2)) -eq 1 ]; then run_walk; run_unzip; else run_unzip; run_walk; fi
  printf 'round %d: walk %.3f s, unzip %.3f s\n' "$r" "$walk" "$uz"
  best_walk=$(awk "BEGIN { print ($walk < $best_walk) ? $walk : $best_walk }")
  best_unzip=$(awk "BEGIN { print ($uz < $best_unzip) ? $uz : $best_unzip }")
done
echo "walk: $(cat "$work/walk.log")"
diff -r "$work/a" "$work/b" >/dev/null && echo "both trees identical" || echo "TREES DIFFER"
printf 'best: walk %.3f s, unzip %.3f s, walk/unzip time ratio %.2f (below 1 is faster)\n' \
  "$best_walk" "$best_unzip" "$(awk "BEGIN { print $best_walk / $best_unzip }")"
