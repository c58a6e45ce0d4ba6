#!/usr/bin/env bash
# Install benchmark: about 150 MB of mixed real files (headers, Python modules, message
# catalogues, Wine's data: thousands of entries) installed under Wine by Unfurl.exe and by an
# NSIS installer (Debian's makensis, zlib compressor, silent install /S), in the same run.
# Unfurl runs twice per round: through its dialog (unfurl_walk) and silently (/S, like NSIS).
# Then both silent installs run again over the copy they installed (a second run of the same
# installer: every file there already), and over an older version of the same files (an update
# in place: every file one byte longer and of another time, so every file is replaced and, for
# Unfurl, kept aside for the undo until the run stands). Prints the times and the ratios, and
# checks that every install wrote the same files.
# Usage: tools/bench-install.sh [BUILD_DIR] [MEGABYTES]   (default build/win32, 150)
# Where 32-bit programs cannot start (tools/wine-env.sh) both installers are 64-bit: Unfurl from
# build/win64 and NSIS with its amd64 stub, under wine64.
# BENCH_ROUNDS=N runs N rounds instead of 3 and takes the best of each (the machine's load
# varies from round to round).
# BENCH_OTHER_IMAGE=FILE: another installer image of the same width (say a copy of the
# previous build's UnfurlImage.exe) made into an installer of the same files and installed
# silently in the same rounds; prints its time and its ratio to this build's /S install.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
q_wine_use "$(q_wine_arch)"
if [ "$WINEARCH" = win64 ]; then
  default_build=build/win64 toolchain=cmake/mingw-x86_64.cmake nsis_target=amd64-unicode
else
  default_build=build/win32 toolchain=cmake/mingw-i686.cmake nsis_target=x86-unicode
fi
build="${1:-$default_build}"
megabytes="${2:-150}"
[ -n "${BENCH_NO_SETUP:-}" ] || tools/setup.sh
cmake -S . -B "$build" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel -DQ_WINE_TESTS=ON >/dev/null
cmake --build "$build" --target UnfurlImage unfurl_walk timed_start unfurlpack_host -j2 >/dev/null
unfurlpack="$build/unfurlpack-host/unfurlpack/unfurlpack"

work="$(mktemp -d /tmp/bench-install.XXXXXX)"
cleanup() { q_wine_end; rm -rf "$work"; }
trap cleanup EXIT

echo "== gathering about $megabytes MB of files"
python3 tools/bench-files.py "$work/files" "$megabytes"
# The older version: every file one byte longer, with the time of this copy.
cp -r "$work/files" "$work/older"
find "$work/older" -type f -exec sh -c 'for f; do printf o >> "$f"; done' sh {} +

echo "== building both installers"
"$unfurlpack" build "$work/files" -o "$work/unfurl-setup.exe" --image "$build/unfurl/UnfurlImage.exe" \
  --title "Benchmark" --subtitle "install benchmark" >/dev/null
# shellcheck source=tools/bench-nsis.sh
. tools/bench-nsis.sh
bench_nsi "$work/bench.nsi" "$work/nsis-setup.exe" "$work/files" zlib "$nsis_target"
makensis -V1 "$work/bench.nsi"
other="${BENCH_OTHER_IMAGE:-}"
if [ -n "$other" ]; then
  "$unfurlpack" build "$work/files" -o "$work/other-setup.exe" --image "$other" \
    --title "Benchmark" --subtitle "install benchmark" >/dev/null
fi
ls -l "$work"/*-setup.exe | awk '{print "  " $5 "  " $9}'

q_xvfb
q_wine_prefix "$work/prefix"
drive_c="$WINEPREFIX/drive_c"
# Wine's start (the server and its service processes and the desktop) is paid once here, not
# by whichever installer happens to run first after the server went idle: the server stays
# up until the end, and every timed run starts on a settled disk.
wineserver -p || true
q_wine cmd /c exit >/dev/null 2>&1 || true
now() { date +%s.%N; }
ms_of() { grep -o 'start to exit: [0-9]*' "$1" | grep -o '[0-9]*$'; }

# Each installer is timed from its start to its exit by a Windows program that starts it
# (unfurl_walk for Unfurl, which also works its dialog; timed_start for NSIS), so neither
# pays for the starting program's own start. The wall time of the whole command, with that
# start, is shown beside it. The order alternates from round to round, every run starts on a
# settled disk, and the best of the rounds counts (the machine's load varies).
run_unfurl() {
  rm -rf "$drive_c/bench/unfurl"; sync
  local t0; t0=$(now)
  q_wine "$build/tools/walk/unfurl_walk.exe" "Z:${work//\//\\}\\unfurl-setup.exe" \
    'C:\bench\unfurl' > "$work/walk.log"
  wall_unfurl=$(awk "BEGIN{printf \"%.2f\", $(now) - $t0}")
  unfurl_ms=$(ms_of "$work/walk.log")
}
# One silent install of the installer $1 (in the work folder) into C:\bench\$2, timed from its
# start to its exit by timed_start (log $3): sets t_wall (the whole command) and t_ms. With
# mode=over the folder keeps the copy installed there before; with mode=older it holds the
# older version.
timed_silent() {
  [ "${mode:-}" = over ] || rm -rf "$drive_c/bench/$2"
  [ "${mode:-}" != older ] || { mkdir -p "$drive_c/bench"; cp -r "$work/older" "$drive_c/bench/$2"; }
  sync
  local t0; t0=$(now)
  q_wine "$build/tools/walk/timed_start.exe" "Z:${work//\//\\}\\$1" /S "/D=C:\\bench\\$2" > "$work/$3"
  t_wall=$(awk "BEGIN{printf \"%.2f\", $(now) - $t0}")
  t_ms=$(ms_of "$work/$3")
}
run_unfurl_silent() { timed_silent unfurl-setup.exe unfurl-s silent.log; wall_silent=$t_wall silent_ms=$t_ms; }
run_nsis() { timed_silent nsis-setup.exe nsis nsis.log; wall_nsis=$t_wall nsis_ms=$t_ms; }
run_other() { [ -z "$other" ] || { timed_silent other-setup.exe other other.log; other_ms=$t_ms; }; }
# The silent installs over what the folders hold, for the case $1 (over: the copy installed
# before; older: the older version), the installers in the order of the other arguments
# (unfurl, other, nsis): sets ms[CASE-INSTALLER].
declare -A folder=([unfurl]=unfurl-s [other]=other [nsis]=nsis) ms=() best=()
run_case() {
  local c=$1 who; shift
  for who in "$@"; do
    [ "$who" != other ] || [ -n "$other" ] || continue
    mode=$c timed_silent "$who-setup.exe" "${folder[$who]}" "$c-$who.log"
    ms[$c-$who]=$t_ms
  done
}
case_name() { if [ "$1" = over ]; then echo "the installed copy"; else echo "the older version"; fi; }
ratio_of() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }
secs() { awk "BEGIN{printf \"%.2f\", $1 / 1000}"; }

# The smaller of two times, compared as numbers ("8.47" is less than "14.71"); the first may be empty.
least() { awk -v b="$1" -v t="$2" 'BEGIN { print (b == "" || t + 0 < b + 0) ? t : b }'; }
best_unfurl="" best_nsis="" best_silent="" best_other=""
rounds="${BENCH_ROUNDS:-3}"
for round in $(seq "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then run_unfurl; run_unfurl_silent; run_other; run_nsis; run_case over unfurl other nsis; run_case older unfurl other nsis
  else run_nsis; run_other; run_unfurl_silent; run_unfurl; run_case over nsis other unfurl; run_case older nsis other unfurl; fi
  u=$(awk "BEGIN{printf \"%.2f\", $unfurl_ms / 1000}") n=$(awk "BEGIN{printf \"%.2f\", $nsis_ms / 1000}")
  s=$(awk "BEGIN{printf \"%.2f\", $silent_ms / 1000}")
  echo "round $round: Unfurl $u s (command $wall_unfurl s), Unfurl /S $s s (command $wall_silent s), NSIS $n s (command $wall_nsis s)"
  best_silent=$(least "$best_silent" "$s")
  best_unfurl=$(least "$best_unfurl" "$u")
  best_nsis=$(least "$best_nsis" "$n")
  if [ -n "$other" ]; then
    o=$(awk "BEGIN{printf \"%.2f\", $other_ms / 1000}")
    echo "round $round: other image /S $o s"
    best_other=$(least "$best_other" "$o")
  fi
  for c in over older; do
    echo "round $round: over $(case_name $c): Unfurl /S $(secs "${ms[$c-unfurl]}") s, NSIS $(secs "${ms[$c-nsis]}") s"
    [ -z "$other" ] || echo "round $round: over $(case_name $c): other image /S $(secs "${ms[$c-other]}") s"
    for who in unfurl other nsis; do
      [ -z "${ms[$c-$who]:-}" ] || best[$c-$who]=$(least "${best[$c-$who]:-}" "$(secs "${ms[$c-$who]}")")
    done
  done
done
grep "from OK" "$work/walk.log" | sed 's/^/  Unfurl, /'

# Both must have installed the same files, byte for byte.
if diff -rq "$work/files" "$drive_c/bench/unfurl" >/dev/null &&
   diff -rq "$work/files" "$drive_c/bench/unfurl-s" >/dev/null &&
   diff -rq "$work/files" "$drive_c/bench/nsis" >/dev/null &&
   { [ -z "$other" ] || diff -rq "$work/files" "$drive_c/bench/other" >/dev/null; }; then
  echo "all installs are complete and identical to the source files"
else
  echo "installed files differ from the source files" >&2
  exit 1
fi
echo "Unfurl.exe: $best_unfurl s   Unfurl.exe /S: $best_silent s   NSIS (zlib, /S): $best_nsis s   ratio Unfurl/NSIS: $(ratio_of "$best_unfurl" "$best_nsis")   ratio Unfurl /S / NSIS /S: $(ratio_of "$best_silent" "$best_nsis") (best of $rounds, Wine, installer start to exit)"
for c in over older; do
  echo "over $(case_name $c): Unfurl.exe /S: ${best[$c-unfurl]} s   NSIS (zlib, /S): ${best[$c-nsis]} s   ratio Unfurl /S / NSIS /S: $(ratio_of "${best[$c-unfurl]}" "${best[$c-nsis]}")"
  [ -z "$other" ] || echo "over $(case_name $c): other image /S: ${best[$c-other]} s   ratio other /S / NSIS /S: $(ratio_of "${best[$c-other]}" "${best[$c-nsis]}")"
done
if [ -n "$other" ]; then
  echo "other image /S: $best_other s   ratio other /S / NSIS /S: $(ratio_of "$best_other" "$best_nsis")   ratio this /S / other /S: $(ratio_of "$best_silent" "$best_other") ($other)"
fi
