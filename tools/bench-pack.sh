#!/usr/bin/env bash
# Packing benchmark: the install benchmark's files (about 136 MB, thousands of entries) made
# into an installer by `unfurlpack build` and, in the same run, into an archive by Info-ZIP's
# `zip -9` and into NSIS installers by makensis with `SetCompressor zlib` and with `lzma`.
# Prints the sizes, the packing times (best of the rounds, the two timed packers alternating)
# and the ratios, and how much of the data NSIS can store once because files are identical.
# Usage: tools/bench-pack.sh [MEGABYTES] [LEVEL]   (default 150, unfurlpack's default level)
# BENCH_ROUNDS=N runs N rounds instead of 3.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
megabytes="${1:-150}"
level="${2:-}"
rounds="${BENCH_ROUNDS:-3}"
[ -n "${BENCH_NO_SETUP:-}" ] || tools/setup.sh
cmake -S . -B build/win32 --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win32 --target UnfurlImage unfurlpack_host -j"$(nproc)" >/dev/null
unfurlpack=build/win32/unfurlpack-host/unfurlpack/unfurlpack
image=build/win32/unfurl/UnfurlImage.exe

work="$(mktemp -d /tmp/bench-pack.XXXXXX)"
trap 'rm -rf "$work"' EXIT
echo "== gathering about $megabytes MB of files"
python3 tools/bench-files.py "$work/files" "$megabytes"

# shellcheck source=tools/bench-nsis.sh
. tools/bench-nsis.sh
bench_nsi "$work/zlib.nsi" "$work/nsis-zlib.exe" "$work/files" zlib
bench_nsi "$work/lzma.nsi" "$work/nsis-lzma.exe" "$work/files" "/SOLID lzma"
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
best_unfurl=999999 best_nsis=999999
for r in $(seq "$rounds"); do
  for who in unfurl nsis; do
    # alternate which one goes first
    [ $((r % 2)) -eq 0 ] && who=$([ "$who" = unfurl ] && echo nsis || echo unfurl)
    sync
    t0=$(now)
    if [ "$who" = unfurl ]; then
      "$unfurlpack" build "$work/files" -o "$work/unfurl-setup.exe" --image "$image" \
        --title Benchmark ${level:+--level "$level"} >/dev/null
      t=$(calc "$(now) - $t0")
      best_unfurl=$(calc "($t < $best_unfurl) ? $t : $best_unfurl")
    else
      makensis -V1 "$work/zlib.nsi"
      t=$(calc "$(now) - $t0")
      best_nsis=$(calc "($t < $best_nsis) ? $t : $best_nsis")
    fi
    printf '  round %d %-6s %.2f s\n' "$r" "$who" "$t"
  done
done
makensis -V1 "$work/lzma.nsi"
(cd "$work/files" && find . -type f | sed 's#^\./##' | LC_ALL=C sort -f | zip -q -9 -X -@ "$work/zip9.zip")

size() { stat -c %s "$1"; }
u=$(size "$work/unfurl-setup.exe") img=$(size "$image") z=$(size "$work/zip9.zip")
nz=$(size "$work/nsis-zlib.exe") nl=$(size "$work/nsis-lzma.exe")
payload=$((u - img))
dups=$(cd "$work/files" && find . -type f -print0 | xargs -0 sha1sum | sort | awk '
  { if ($1 == last) { n++; } last = $1 } END { print n + 0 }')
dupbytes=$(cd "$work/files" && find . -type f -print0 | xargs -0 sha1sum | sort | awk '
  { if ($1 == last) print $2; last = $1 }' | (cd "$work/files" && xargs -r stat -c %s | awk '{ s += $1 } END { print s + 0 }'))
echo "== sizes (bytes)"
printf '  unfurlpack build payload %12d  (installer %d)\n' "$payload" "$u"
printf '  zip -9                   %12d\n' "$z"
printf '  NSIS zlib                %12d\n' "$nz"
printf '  NSIS lzma (solid)        %12d\n' "$nl"
printf '  identical files: %d, %d bytes of raw data NSIS stores once\n' "$dups" "$dupbytes"
python3 - "$work/unfurl-setup.exe" "$nz" <<'PY'
import hashlib, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
seen, dup, data = set(), 0, 0
for i in z.infolist():
    data += i.compress_size
    h = hashlib.sha1(z.read(i)).digest()
    if h in seen:
        dup += i.compress_size
    seen.add(h)
headers = sum(30 + 46 + 2 * len(i.filename.encode()) for i in z.infolist()) + 22
gap = data + headers - int(sys.argv[2])
print(f"== the gap to NSIS zlib: {gap} bytes")
print(f"  compressed duplicates (NSIS stores them once): {dup}")
print(f"  ZIP's local and central headers:               {headers}")
print(f"  the rest (compression and NSIS's own overhead): {gap - dup - headers}")
PY
echo "== ratios"
echo "  payload / zip -9:      $(calc "$payload / $z")"
echo "  installer / NSIS zlib: $(calc "$u / $nz")"
echo "  packing time unfurlpack / makensis zlib (best of $rounds): $(calc "$best_unfurl / $best_nsis")" \
  "($best_unfurl s / $best_nsis s)"
