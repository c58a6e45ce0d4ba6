#!/usr/bin/env bash
# Benchmark of the installer's inflate decoder and CRC-32 (not a test): builds a Release host
# build, makes a raw-deflate stream of about 120 MB of real files (a tar of /usr/include and
# some binaries, zlib level 6) once, and times InflateEntry against zlib and libdeflate and
# UpdateCrc against zlib's crc32 in the same run, printing throughput and ratios.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build=build/bench-host-inf
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_inflate -j2 >/dev/null
bench="$build/tools/bench-inflate/bench_inflate"
data="$build/bench-data"
mkdir -p "$data"
if [ ! -s "$data/stream.deflate" ]; then
  bins=""
  for b in /usr/bin/cmake /usr/bin/gdb /usr/bin/perl /usr/bin/python3 /usr/bin/x86_64-linux-gnu-g++-12 \
           /usr/lib/x86_64-linux-gnu/libstdc++.so.6; do
    [ -e "$b" ] && bins="$bins $(readlink -f "$b")"
  done
  # shellcheck disable=SC2086
  tar -cf "$data/input.tar" /usr/include $bins 2>/dev/null || true
  "$bench" make "$data/input.tar" "$data/stream.deflate" 120
  rm -f "$data/input.tar"
fi
"$bench" run "$data/stream.deflate"
