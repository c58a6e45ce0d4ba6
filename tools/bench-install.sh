#!/usr/bin/env bash
# Install benchmark: about 150 MB of mixed real files (headers, Python modules, message
# catalogues, Wine's data: thousands of entries) installed under Wine by Unfurl.exe and by an
# NSIS installer (Debian's makensis, zlib compressor, silent install /S), in the same run.
# Unfurl runs twice per round: through its dialog (unfurl_walk) and silently (/S, like NSIS).
# Prints the times and both ratios, and checks that every install wrote the same files.
# Usage: tools/bench-install.sh [BUILD_DIR] [MEGABYTES]   (default build/win32, 150)
# BENCH_ROUNDS=N runs N rounds instead of 3 and takes the best of each (the machine's load
# varies from round to round).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${1:-build/win32}"
megabytes="${2:-150}"
[ -n "${BENCH_NO_SETUP:-}" ] || tools/setup.sh
cmake -S . -B "$build" --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target UnfurlImage unfurl_walk timed_start unfurlpack_host -j2 >/dev/null
unfurlpack="$build/unfurlpack-host/tools/unfurlpack/unfurlpack"

work="$(mktemp -d /tmp/bench-install.XXXXXX)"
# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
cleanup() { q_wine_end; rm -rf "$work"; }
trap cleanup EXIT

echo "== gathering about $megabytes MB of files"
python3 - "$work/files" "$megabytes" <<'PY'
import os, re, shutil, sys
out, budget = sys.argv[1], int(sys.argv[2]) * 1024 * 1024
sources = ["/usr/include", "/usr/lib/python3.11", "/usr/share/locale", "/usr/share/wine",
           "/usr/share/doc", "/usr/lib/gcc"]
share = budget // len(sources)
ok = re.compile(r"^[A-Za-z0-9_.+-]+$")
reserved = re.compile(r"^(con|prn|aux|nul|com[1-9]|lpt[1-9])(\..*)?$", re.I)
seen, total, count = set(), 0, 0
for src in sources:
    used = 0
    for base, dirs, files in os.walk(src):
        dirs.sort()
        for f in sorted(files):
            p = os.path.join(base, f)
            if os.path.islink(p) or not os.path.isfile(p):
                continue
            rel = os.path.relpath(p, "/")
            parts = rel.split("/")
            if not all(ok.match(x) and not reserved.match(x) and not x.endswith(".") for x in parts):
                continue
            if len(rel) > 200 or rel.lower() in seen:
                continue
            size = os.path.getsize(p)
            if used + size > share:
                continue
            seen.add(rel.lower())
            dst = os.path.join(out, rel)
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            shutil.copy2(p, dst)
            used += size
            total += size
            count += 1
print(f"{count} files, {total / 1048576:.1f} MB")
PY

echo "== building both installers"
# Entries in name order, as the installer's work list sorts them: each lookup then finds the
# very next item.
(cd "$work/files" && find . -type f | sed 's#^\./##' | LC_ALL=C sort -f | zip -q -6 -X -@ "$work/payload.zip")
"$unfurlpack" "$build/unfurl/UnfurlImage.exe" "$work/payload.zip" "Benchmark" "install benchmark" \
  "$work/unfurl-setup.exe"
cat > "$work/bench.nsi" <<NSI
Name "Benchmark"
OutFile "$work/nsis-setup.exe"
SetCompressor zlib
RequestExecutionLevel user
InstallDir "C:\\bench\\nsis"
Section
  SetOutPath "\$INSTDIR"
  File /r "$work/files/*"
SectionEnd
NSI
makensis -V1 "$work/bench.nsi"
ls -l "$work/payload.zip" "$work/unfurl-setup.exe" "$work/nsis-setup.exe" | awk '{print "  " $5 "  " $9}'

q_xvfb
q_wine_prefix "$work/prefix"
drive_c="$WINEPREFIX/drive_c"
# Wine's start (the server and its service processes and the desktop) is paid once here, not
# by whichever installer happens to run first after the server went idle: the server stays
# up until the end, and every timed run starts on a settled disk.
wineserver -p || true
wine cmd /c exit >/dev/null 2>&1 || true
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
  wine "$build/tests/installer/unfurl_walk.exe" "Z:${work//\//\\}\\unfurl-setup.exe" \
    'C:\bench\unfurl' > "$work/walk.log"
  wall_unfurl=$(awk "BEGIN{printf \"%.2f\", $(now) - $t0}")
  unfurl_ms=$(ms_of "$work/walk.log")
}
run_unfurl_silent() {
  rm -rf "$drive_c/bench/unfurl-s"; sync
  local t0; t0=$(now)
  wine "$build/tests/installer/timed_start.exe" "Z:${work//\//\\}\\unfurl-setup.exe" /S \
    '/D=C:\bench\unfurl-s' > "$work/silent.log"
  wall_silent=$(awk "BEGIN{printf \"%.2f\", $(now) - $t0}")
  silent_ms=$(ms_of "$work/silent.log")
}
run_nsis() {
  rm -rf "$drive_c/bench/nsis"; sync
  local t0; t0=$(now)
  wine "$build/tests/installer/timed_start.exe" "Z:${work//\//\\}\\nsis-setup.exe" /S \
    '/D=C:\bench\nsis' > "$work/nsis.log"
  wall_nsis=$(awk "BEGIN{printf \"%.2f\", $(now) - $t0}")
  nsis_ms=$(ms_of "$work/nsis.log")
}

best_unfurl="" best_nsis="" best_silent=""
rounds="${BENCH_ROUNDS:-3}"
for round in $(seq "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then run_unfurl; run_unfurl_silent; run_nsis
  else run_nsis; run_unfurl_silent; run_unfurl; fi
  u=$(awk "BEGIN{printf \"%.2f\", $unfurl_ms / 1000}") n=$(awk "BEGIN{printf \"%.2f\", $nsis_ms / 1000}")
  s=$(awk "BEGIN{printf \"%.2f\", $silent_ms / 1000}")
  echo "round $round: Unfurl $u s (command $wall_unfurl s), Unfurl /S $s s (command $wall_silent s), NSIS $n s (command $wall_nsis s)"
  best_silent=$(awk "BEGIN{b=\"$best_silent\"; print (b == \"\" || $s < b) ? $s : b}")
  best_unfurl=$(awk "BEGIN{b=\"$best_unfurl\"; print (b == \"\" || $u < b) ? $u : b}")
  best_nsis=$(awk "BEGIN{b=\"$best_nsis\"; print (b == \"\" || $n < b) ? $n : b}")
done
grep "from OK" "$work/walk.log" | sed 's/^/  Unfurl, /'

# Both must have installed the same files, byte for byte.
if diff -rq "$work/files" "$drive_c/bench/unfurl" >/dev/null &&
   diff -rq "$work/files" "$drive_c/bench/unfurl-s" >/dev/null &&
   diff -rq "$work/files" "$drive_c/bench/nsis" >/dev/null; then
  echo "all installs are complete and identical to the source files"
else
  echo "installed files differ from the source files" >&2
  exit 1
fi
ratio=$(awk "BEGIN{printf \"%.2f\", $best_unfurl / $best_nsis}")
silent_ratio=$(awk "BEGIN{printf \"%.2f\", $best_silent / $best_nsis}")
echo "Unfurl.exe: $best_unfurl s   Unfurl.exe /S: $best_silent s   NSIS (zlib, /S): $best_nsis s   ratio Unfurl/NSIS: $ratio   ratio Unfurl /S / NSIS /S: $silent_ratio (best of $rounds, Wine, installer start to exit)"
