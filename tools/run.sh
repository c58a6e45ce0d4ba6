#!/usr/bin/env bash
# The main command: installs what is missing, builds the Windows programs into build/bin
# (Bytewise.exe, and Unfurl.exe: the installer with Bytewise and its sources inside), runs the
# installer under Wine and then starts the Bytewise it installed.
#   Where 32-bit programs cannot start (see tools/wine-env.sh), or with Q_WINE_ARCH=win64, the
#   same programs are also built as 64-bit ones into build/bin64, and those run under wine64
#   (prefix build/wineprefix64).
#   With a display (DISPLAY works): the installer opens for you; it proposes its own folder,
#   C:\Unfurl in the Wine prefix build/wineprefix; the installed Bytewise starts from there.
#   Without one: Xvfb, and a scripted walk through the installer (folder browser, install into
#   C:\Program Files\Bytewise, completion message) with screenshots in build/run-shots/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/setup.sh
# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
q_wine_use "$(q_wine_arch)"

wine32_tests=ON
[ "$WINEARCH" = win64 ] && wine32_tests=OFF
cmake -S . -B build/win32 --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DQ_WINE_TESTS="$wine32_tests" >/dev/null
cmake --build build/win32 -j"$(nproc)" --target Bytewise UnfurlDelivered
echo "Programs in $root/build/bin:"
ls -l build/bin/Bytewise.exe build/bin/Unfurl.exe
build=build/win32 bin=build/bin
if [ "$WINEARCH" = win64 ]; then
  echo "== 32-bit programs cannot start here: the 64-bit programs run instead"
  build=build/win64 bin=build/bin64
  cmake -S . -B "$build" --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DQ_WINE_TESTS=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target Bytewise UnfurlDelivered unfurl_walk
[ "$bin" = build/bin ] || ls -l "$bin/Bytewise.exe" "$bin/Unfurl.exe"

trap q_wine_end EXIT
interactive=1
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  interactive=0
  unset DISPLAY
  q_xvfb
fi
q_wine_prefix "$(q_build_prefix "$root")"
drive_c="$WINEPREFIX/drive_c"

if [ "$interactive" = 1 ]; then
  mkdir -p "$drive_c/Unfurl"
  cp "$bin/Unfurl.exe" "$drive_c/Unfurl/Unfurl.exe"
  echo "== Unfurl: choose a folder and press OK"
  q_wine 'C:\Unfurl\Unfurl.exe' || true
  installed='C:\Unfurl'
  target="$drive_c/Unfurl"
else
  shots="$root/build/run-shots"
  rm -rf "$shots"
  mkdir -p "$shots"
  installed='C:\Program Files\Bytewise'
  target="$drive_c/Program Files/Bytewise"
  echo "== Unfurl: scripted install into $installed (no display; Xvfb $DISPLAY)"
  q_wine "$build/tools/walk/unfurl_walk.exe" "Z:${root//\//\\}\\${bin//\//\\}\\Unfurl.exe" \
    "$installed" "Z:${shots//\//\\}"
fi

if [ ! -f "$target/Bytewise.exe" ]; then
  echo "Bytewise.exe was not installed into $installed; nothing to start."
  exit 0
fi
echo "== Installed into $installed:"
(cd "$target" && find . -type f | sort | sed 's#^\./#  #' | head -20; echo "  ... $(find . -type f | wc -l) files")
echo "== Starting the installed Bytewise"
if [ "$interactive" = 1 ]; then
  q_wine "$installed\\Bytewise.exe" || true
else
  q_wine "$installed\\Bytewise.exe" &
  sleep 4
  import -window root "$shots/4-bytewise.png"
  wineserver -k || true
  for f in "$shots"/*.bmp; do
    [ -f "$f" ] && convert "$f" -trim +repage "${f%.bmp}.png" && rm -f "$f"
  done
  echo "Screenshots of the walk: $(ls "$shots" | tr '\n' ' ')"
fi
