#!/usr/bin/env bash
# Benchmark of the real Bytewise.exe under Wine against the read floor, in the same run: two
# identical 1 GB files (from the page cache), the run from "Compare file" to its notice, with
# the progress line and Stop on as a user sees them, against reading both files in step in
# the program's block size (tools/bench-bytewise/bench_bytewise.cpp). Prints each round, the
# best of BENCH_RUNS (default 5) and the ratio.
# The Windows build it uses: build/win64 under wine64 where 32-bit programs cannot start (or
# Q_WINE_ARCH=win64), else build/win32. Test files go to build/bench-data (BENCH_DATA=dir).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
runs="${BENCH_RUNS:-5}"
data="${BENCH_DATA:-$root/build/bench-data}"
# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
arch="$(q_wine_arch)"
q_wine_use "$arch"
if [ "$arch" = win64 ]; then
  tree=build/win64 toolchain=cmake/mingw-x86_64.cmake exe=build/bin64/Bytewise.exe
else
  tree=build/win32 toolchain=cmake/mingw-i686.cmake exe=build/bin/Bytewise.exe
fi
cmake -S . -B "$tree" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel -DQ_WINE_TESTS=ON >/dev/null
cmake --build "$tree" --target Bytewise bench_bytewise -j2 >/dev/null

mkdir -p "$data"
big=$((1000 * 1000 * 1000))
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
if [ "$(size_of "$data/big1")" != "$big" ] || [ "$(size_of "$data/big2")" != "$big" ]; then
  echo "making two identical 1 GB files in $data"
  head -c "$big" /dev/urandom >"$data/big1"
  cp "$data/big1" "$data/big2"
fi
cat "$data/big1" "$data/big2" >/dev/null

prefix="$(mktemp -d /tmp/qwine.XXXXXX)"
cleanup() { q_wine_end; rm -rf "$prefix"; }
trap cleanup EXIT
q_xvfb
q_wine_prefix "$prefix" >/dev/null
win() { q_wine winepath -w "$1" 2>/dev/null; }
echo "Bytewise ($arch) vs the read floor, two identical 1 GB files, best of $runs"
q_wine "$tree/tools/bench-bytewise/bench_bytewise.exe" "$(win "$root/$exe")" "$(win "$data/big1")" \
  "$(win "$data/big2")" "$runs"
